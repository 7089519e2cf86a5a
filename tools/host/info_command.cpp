// The info subcommand: prints what a host learns from the plug-in — the
// descriptor, identity strings, programs and parameters with their texts.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tools/host/commands.h"
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

std::string fourCharText(VstInt32 code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
    }
    return text;
}

std::string flagNames(VstInt32 flags) {
    static const struct {
        VstInt32 bit;
        const char* name;
    } kFlags[] = {{effFlagsHasEditor, "editor"},
                  {effFlagsHasClip, "clip"},
                  {effFlagsHasVu, "vu"},
                  {effFlagsCanMono, "mono"},
                  {effFlagsCanReplacing, "replacing"},
                  {effFlagsProgramChunks, "chunks"},
                  {effFlagsIsSynth, "synth"},
                  {effFlagsNoSoundInStop, "no-tail"},
                  {effFlagsExtIsAsync, "async"},
                  {effFlagsExtHasBuffer, "external-buffer"}};
    std::string names;
    for (const auto& flag : kFlags)
        if (flags & flag.bit) names += (names.empty() ? "" : ", ") + std::string(flag.name);
    return names.empty() ? "none" : names;
}

void printDescriptor(PluginInstance& instance) {
    const AEffect& e = instance.effect();
    std::printf("Plug-in:      %s\n", instance.library().path().c_str());
    std::printf("Effect:       %s\n", instance.effectName().c_str());
    std::printf("Vendor:       %s (version %ld)\n", instance.vendorString().c_str(),
                static_cast<long>(instance.dispatch(effGetVendorVersion)));
    std::printf("Product:      %s\n", instance.productString().c_str());
    std::printf("Unique ID:    '%s' (0x%08X)  version %d\n", fourCharText(e.uniqueID).c_str(),
                static_cast<unsigned>(e.uniqueID), e.version);
    std::printf("VST version:  %ld  category %ld\n", static_cast<long>(instance.dispatch(effGetVstVersion)),
                static_cast<long>(instance.dispatch(effGetPlugCategory)));
    std::printf("Channels:     %d in, %d out  initial delay %d\n", e.numInputs, e.numOutputs, e.initialDelay);
    std::printf("Flags:        0x%X (%s)\n", static_cast<unsigned>(e.flags), flagNames(e.flags).c_str());
    for (int pin = 0; pin < e.numOutputs; ++pin) {
        VstPinProperties properties{};
        if (instance.dispatch(effGetOutputProperties, pin, 0, &properties) == 0) continue;
        properties.label[sizeof properties.label - 1] = '\0';
        std::printf("Output %d:     %s (flags %d)\n", pin, properties.label, properties.flags);
    }
    ERect* rect = nullptr;
    if ((e.flags & effFlagsHasEditor) && instance.dispatch(effEditGetRect, 0, 0, &rect) != 0 && rect != nullptr)
        std::printf("Editor:       %d x %d pixels\n", rect->right - rect->left, rect->bottom - rect->top);
}

void printPrograms(PluginInstance& instance) {
    const int current = instance.program();
    std::printf("\nPrograms (%d):\n", instance.effect().numPrograms);
    for (int p = 0; p < instance.effect().numPrograms; ++p)
        std::printf("  %c%2d  %s\n", p == current ? '*' : ' ', p, instance.programName(p).c_str());
}

// Parameters that do nothing answer effCanBeAutomated 0, or have no name
// or one that says so ("Unused 52"): they are listed apart.
bool isUnused(PluginInstance& instance, int index) {
    const std::string name = instance.parameterName(index);
    return name.empty() || name.rfind("Unused", 0) == 0 || instance.dispatch(effCanBeAutomated, index) == 0;
}

void printParameters(PluginInstance& instance) {
    std::printf("\nParameters (%d) of program %d:\n", instance.effect().numParams, instance.program());
    std::printf("  %5s  %-20s  %-8s  %-16s  %s\n", "index", "name", "value", "display", "label");
    std::vector<int> unused;
    for (int i = 0; i < instance.effect().numParams; ++i) {
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
void printParameterRange(PluginInstance& instance, const std::string& text) {
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
    PluginInstance instance(PluginLibrary::open(context.pluginPath), HostSettings{});
    if (!options.program.empty()) instance.setProgram(findProgram(instance, options.program));
    if (!options.parameter.empty()) {
        printParameterRange(instance, options.parameter);
        return;
    }
    printDescriptor(instance);
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
