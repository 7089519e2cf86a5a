// The validate subcommand: loads the plug-in as a host does and tries, group
// by group, to break it; prints one line per group and "N passed, M failed",
// and exits with 1 when any group failed.
//
// The realtime group needs allocation and lock calls intercepted, which only
// the vardelline-validate executable does. vardelline-host therefore hands
// the run over to vardelline-validate beside it, and runs it itself (the
// realtime group skipped) only where there is none.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tools/host/commands.h"
#include "tools/host/platform.h"
#include "tools/host/validate_intercept.h"
#include "tools/host/validate_report.h"

namespace vardelline::host {

namespace {

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ",") + name;
    return text;
}

// The same run as vardelline-validate arguments.
std::vector<std::string> validatorArguments(const std::string& plugin, const validate::Options& options, bool list) {
    std::vector<std::string> args = {"--plugin", plugin, "--level", std::to_string(options.level),
                                     "--seed", std::to_string(options.seed)};
    if (!options.only.empty()) args.insert(args.end(), {"--only", joined(options.only)});
    if (!options.skip.empty()) args.insert(args.end(), {"--skip", joined(options.skip)});
    if (options.wrap) args.push_back("--wrap");
    if (list) args.push_back("--list");
    return args;
}

}  // namespace

void addValidateOptions(CLI::App& command, validate::Options& options, bool& list) {
    command.add_option("-l,--level", options.level, "Strictness: 1 quick, 2 thorough, 3 full (as CI runs it)")
        ->check(CLI::Range(validate::kLowestLevel, validate::kHighestLevel))
        ->capture_default_str();
    command.add_option("-s,--seed", options.seed, "Seed of the random cases; the same seed repeats a run")
        ->capture_default_str();
    command.add_option("--only", options.only, "Run only these groups (see --list)")->delimiter(',');
    command.add_option("--skip", options.skip, "Leave these groups out")->delimiter(',');
    command.add_flag("--wrap", options.wrap, "Also run the sample counter across its 2^31 wrap (minutes)");
    command.add_flag("--list", list, "List the test groups and stop");
}

void runValidate(const std::string& plugin, const validate::Options& options, bool list) {
    if (list) {
        for (const validate::Group& group : validate::allGroups()) {
            const std::string line =
                std::string(group.name) + std::string(17 - std::strlen(group.name), ' ') + group.description;
            std::printf("%s\n", validate::wrapText(line, 100, 17).c_str());
        }
        return;
    }
    const int failed = validate::runValidation(plugin, options);
    std::fflush(stdout);
    if (failed > 0) std::exit(1);
}

void registerValidateCommand(CLI::App& app, const HostContext& context) {
    auto options = std::make_shared<validate::Options>();
    auto list = std::make_shared<bool>(false);
    CLI::App* command = app.add_subcommand("validate", "Try to break the plug-in through its binary interface");
    addValidateOptions(*command, *options, *list);
    command->callback([&context, options, list] {
        if (!validate::realtime::available())
            platform::runSibling(kValidatorExecutable, validatorArguments(context.pluginPath, *options, *list));
        runValidate(context.pluginPath, *options, *list);
    });
}

}  // namespace vardelline::host
