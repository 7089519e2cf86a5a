// The subcommands of vardelline-host. Each adds itself to the command-line
// parser; its callback does the work and reports failures as HostError.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace vardelline::host {

// Settings every subcommand shares, filled by the parser before a callback runs.
struct HostContext {
    std::string pluginPath;
    bool quiet = false;  // only warnings and errors
};

void registerRenderCommand(CLI::App& app, const HostContext& context);
void registerInfoCommand(CLI::App& app, const HostContext& context);
void registerSnapshotCommand(CLI::App& app, const HostContext& context);
void registerValidateCommand(CLI::App& app, const HostContext& context);
void registerEditCommand(CLI::App& app, const HostContext& context);
void registerPresetsCommand(CLI::App& app, const HostContext& context);
void registerPlotCommand(CLI::App& app, const HostContext& context);

}  // namespace vardelline::host
