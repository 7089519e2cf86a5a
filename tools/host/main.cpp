// vardelline-host: a command-line host that loads the Vardelline plug-in
// library by path and renders audio through it or describes it.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>

#include "tools/host/commands.h"
#include "tools/host/host_error.h"

#ifndef VARDELLINE_DEFAULT_PLUGIN
#define VARDELLINE_DEFAULT_PLUGIN "vardelline.so"
#endif

int main(int argc, char** argv) {
    using namespace vardelline::host;
    HostContext context{VARDELLINE_DEFAULT_PLUGIN};

    CLI::App app{"Loads the Vardelline VST 2 plug-in and renders audio through it.", "vardelline-host"};
    app.require_subcommand(1);
    app.fallthrough();
    app.add_option("--plugin", context.pluginPath, "Plug-in library to load")->capture_default_str();
    registerRenderCommand(app, context);
    registerInfoCommand(app, context);
    registerSnapshotCommand(app, context);
    registerValidateCommand(app, context);
    registerEditCommand(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version go out as CLI11 writes them; usage errors as one line.
        if (e.get_exit_code() == 0) return app.exit(e);
        std::fprintf(stderr, "error: %s\n", e.what());
        return e.get_exit_code();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
