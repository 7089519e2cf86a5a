// The subcommands of vardelline-host. Each adds itself to the command-line
// parser; its callback does the work and reports failures as HostError.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace vardelline::host {

namespace validate {
struct Options;
}

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

// The validator's options, on the validate subcommand or on
// vardelline-validate itself, and the run they ask for.
void addValidateOptions(CLI::App& command, validate::Options& options, bool& list);
void runValidate(const std::string& plugin, const validate::Options& options, bool list);

#ifdef _WIN32
constexpr const char* kValidatorExecutable = "vardelline-validate.exe";
#else
constexpr const char* kValidatorExecutable = "vardelline-validate";
#endif

}  // namespace vardelline::host
