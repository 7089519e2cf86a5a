// vardelline-host: a command-line host that loads the Vardelline plug-in
// library by path and renders audio through it or describes it.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <exception>
#include <string>
#include <vector>

#include "tools/host/commands.h"
#include "tools/host/host_error.h"
#include "tools/host/interruption.h"

#ifndef VARDELLINE_DEFAULT_PLUGIN
#define VARDELLINE_DEFAULT_PLUGIN "vardelline.so"
#endif
#ifndef VARDELLINE_VERSION
#define VARDELLINE_VERSION "unknown"
#endif

namespace {

// The plug-in built beside this host, or else, for an installed host whose
// build tree is gone, the first one found where hosts look for plug-ins.
std::string defaultPluginPath() {
    std::error_code error;
    if (std::filesystem::exists(VARDELLINE_DEFAULT_PLUGIN, error)) return VARDELLINE_DEFAULT_PLUGIN;
    const char* home = std::getenv("HOME");
    std::vector<std::string> places;
    if (home != nullptr) places.push_back(std::string(home) + "/.vst/");
    for (const char* folder : {"/usr/local/lib/vst/", "/usr/lib/vst/", "/usr/local/lib/lxvst/", "/usr/lib/lxvst/"})
        places.push_back(folder);
    const std::string file = std::filesystem::path(VARDELLINE_DEFAULT_PLUGIN).filename().string();
    for (const std::string& place : places)
        if (std::filesystem::exists(place + file, error)) return place + file;
    return VARDELLINE_DEFAULT_PLUGIN;
}

// Usage errors: one line naming what was wrong, a pointer to --help, exit 2.
constexpr int kUsageExit = 2;

// The first word of CLI11's "The following arguments were not expected: a b".
std::string firstUnexpected(const std::string& message) {
    const size_t colon = message.rfind(": ");
    if (colon == std::string::npos) return "";
    const std::string words = message.substr(colon + 2);
    return words.substr(0, words.find(' '));
}

int usageError(const CLI::App& app, const CLI::ParseError& e) {
    std::string command;
    for (const CLI::App* sub : app.get_subcommands()) command = sub->get_name();
    const std::string help = "'vardelline-host " + (command.empty() ? "" : command + " ") + "--help'";
    if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
        const std::string word = firstUnexpected(e.what());
        const char* kind = !word.empty() && word[0] == '-' ? "option" : command.empty() ? "command" : "argument";
        std::fprintf(stderr, "error: unknown %s '%s'; see %s\n", kind, word.c_str(), help.c_str());
    } else if (command.empty() && dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
        const std::vector<std::string> words = app.remaining();
        if (words.empty())
            std::fprintf(stderr, "error: no command given; see %s\n", help.c_str());
        else
            std::fprintf(stderr, "error: unknown %s '%s'; see %s\n", words[0].rfind('-', 0) == 0 ? "option" : "command",
                         words[0].c_str(), help.c_str());
    } else {
        std::fprintf(stderr, "error: %s; see %s\n", e.what(), help.c_str());
    }
    return kUsageExit;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vardelline::host;
    HostContext context{defaultPluginPath()};

    CLI::App app{"Loads the Vardelline VST 2 plug-in and renders audio through it.", "vardelline-host"};
    app.require_subcommand(1);
    app.fallthrough();
    app.set_version_flag("--version", std::string("vardelline-host ") + VARDELLINE_VERSION);
    app.add_option("--plugin", context.pluginPath, "Plug-in library to load")->capture_default_str();
    app.add_flag("-q,--quiet", context.quiet, "Print only warnings and errors");
    registerRenderCommand(app, context);
    registerInfoCommand(app, context);
    registerSnapshotCommand(app, context);
    registerValidateCommand(app, context);
    registerEditCommand(app, context);
    registerPresetsCommand(app, context);
    registerPlotCommand(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help and version go out as CLI11 writes them.
        if (e.get_exit_code() == 0) return app.exit(e);
        return usageError(app, e);
    } catch (const Interrupted& e) {
        std::fprintf(stderr, "%s; the unfinished output was removed\n", e.what());
        return e.exitCode();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
