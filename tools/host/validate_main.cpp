// vardelline-validate: the validator in an executable of its own, with the
// interception of allocation, lock and blocking calls that its realtime
// group needs; `vardelline-host validate` hands its runs over to it.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>

#include "tools/host/commands.h"
#include "tools/host/validate_report.h"

#ifndef VARDELLINE_DEFAULT_PLUGIN
#define VARDELLINE_DEFAULT_PLUGIN "vardelline.so"
#endif

int main(int argc, char** argv) {
    using namespace vardelline::host;
    std::string plugin = VARDELLINE_DEFAULT_PLUGIN;
    validate::Options options;
    bool list = false;

    CLI::App app{"Tries, group by group, to break a VST 2 plug-in through its binary interface.",
                 "vardelline-validate"};
    app.add_option("--plugin", plugin, "Plug-in library to load")->capture_default_str();
    addValidateOptions(app, options, list);
    try {
        app.parse(argc, argv);
        runValidate(plugin, options, list);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        std::fprintf(stderr, "error: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
