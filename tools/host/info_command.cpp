// The info subcommand: prints what a host learns from the plug-in — the
// descriptor, identity strings, programs and parameters with their texts.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/host/commands.h"
#include "tools/host/plugin_factory.h"
#include "tools/host/plugin_selection.h"
#include "tools/host/unit_values.h"

namespace vardelline::host {

namespace {

struct InfoOptions {
    std::string program;
    std::string parameter;
};

// Steps shown by info --param between the two ends.
constexpr int kRangeSteps = 8;

void printPrograms(HostedPlugin& instance) {
    const int current = instance.program();
    std::printf("\nPrograms (%d):\n", instance.programCount());
    for (int p = 0; p < instance.programCount(); ++p)
        std::printf("  %c%2d  %s\n", p == current ? '*' : ' ', p, instance.programName(p).c_str());
}

// Parameters that do nothing are not automatable, or have no name
// or one that says so ("Unused 52"): they are listed apart.
bool isUnused(HostedPlugin& instance, int index) {
    const std::string name = instance.parameterName(index);
    return name.empty() || name.rfind("Unused", 0) == 0 || !instance.isAutomatable(index);
}

void printParameters(HostedPlugin& instance) {
    std::printf("\nParameters (%d) of program %d:\n", instance.parameterCount(), instance.program());
    std::printf("  %5s  %-20s  %-8s  %-16s  %s\n", "index", "name", "value", "display", "label");
    std::vector<int> unused;
    for (int i = 0; i < instance.parameterCount(); ++i) {
        if (isUnused(instance, i)) {
            unused.push_back(i);
            continue;
        }
        std::printf("  %5d  %-20s  %-8.4f  %-16s  %s\n", i, instance.parameterName(i).c_str(),
                    static_cast<double>(instance.getParameter(i)), instance.parameterDisplay(i).c_str(),
                    instance.parameterLabel(i).c_str());
    }
    if (unused.empty()) return;
    // Runs of consecutive indices, "52-79".
    std::string runs;
    for (size_t i = 0; i < unused.size();) {
        size_t j = i;
        while (j + 1 < unused.size() && unused[j + 1] == unused[j] + 1) ++j;
        runs += (runs.empty() ? "" : ", ") + std::to_string(unused[i]) +
                (j > i ? "-" + std::to_string(unused[j]) : "");
        i = j + 1;
    }
    std::printf("\nWithout effect on the sound (%zu): %s\n", unused.size(), runs.c_str());
}

// One parameter's texts across its range, and what --param accepts for it.
void printParameterRange(HostedPlugin& instance, const std::string& text) {
    const int index = findParameter(instance, text);
    const float current = instance.getParameter(index);
    std::printf("%d  %s%s\n", index, instance.parameterName(index).c_str(),
                isUnused(instance, index) ? "  (without effect on the sound)" : "");
    std::printf("  %-8s  %s\n", "value", "display");
    for (int step = 0; step <= kRangeSteps; ++step) {
        const float value = static_cast<float>(step) / kRangeSteps;
        instance.setParameter(index, value);
        std::printf("  %-8.4f  %s\n", static_cast<double>(value), instance.parameterDisplay(index).c_str());
    }
    instance.setParameter(index, current);
    std::printf("  current %.4f  %s\n", static_cast<double>(current), instance.parameterDisplay(index).c_str());
    const Reading reading = readDisplay(instance.parameterDisplay(index));
    std::printf("--param accepts a value in 0..1%s\n",
                reading.quantity == Quantity::Plain ? "" : " or a text in the readout's unit, as above");
}

void runInfo(const HostContext& context, const InfoOptions& options) {
    const std::unique_ptr<HostedPlugin> plugin = openPlugin(context.pluginPath, HostSettings{});
    HostedPlugin& instance = *plugin;
    if (!options.program.empty()) instance.setProgram(findProgram(instance, options.program));
    if (!options.parameter.empty()) {
        printParameterRange(instance, options.parameter);
        return;
    }
    instance.printDescription();
    printPrograms(instance);
    printParameters(instance);
}

}  // namespace

void registerInfoCommand(CLI::App& app, const HostContext& context) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* info = app.add_subcommand("info", "Print the plug-in's descriptor, programs and parameters");
    info->add_option("-p,--program", options->program, "Show the parameter values of this program");
    info->add_option("--param", options->parameter, "Show one parameter's texts across its range (name or index)");
    info->callback([&context, options] { runInfo(context, *options); });
}

}  // namespace vardelline::host
