// Applying bank, program, preset and parameters to an instance.
#include "tools/host/setting_options.h"

#include <CLI/CLI.hpp>

#include "tools/host/host_error.h"
#include "tools/host/plugin_instance.h"
#include "tools/host/plugin_selection.h"
#include "tools/host/preset_file.h"

namespace vardelline::host {

void addSettingOptions(CLI::App& command, SettingOptions& options) {
    command.add_option("--bank", options.bank, "Load a bank of programs (.fxb) first; --program picks one of them");
    command.add_option("-p,--program", options.program, "Program by number or name");
    command.add_option("--preset", options.preset, "Load a program file (.fxp) into the current program");
    command
        .add_option("-s,--set,--param", options.parameters,
                    "Set a parameter by index or name (colons optional): NAME=VALUE with VALUE in 0..1 or in the "
                    "readout's unit (80ms, 200Hz, 1.3kHz, 50%, L30, Off)")
        ->allow_extra_args(false);
}

void checkSettingOptions(const SettingOptions& options) {
    for (const std::string& text : options.parameters) parseParameterSetting(text);
    if (!options.bank.empty()) readWholeFile(options.bank);
    if (!options.preset.empty()) readWholeFile(options.preset);
}

namespace {

// Program files carry a VST 2 plug-in's unique id, which only its VST 2 edition reports.
PluginInstance& programFileTarget(HostedPlugin& instance) {
    PluginInstance* vst2 = instance.vst2();
    if (vst2 == nullptr)
        throw HostError(instance.path() + ": --bank and --preset load VST 2 program files (.fxb, .fxp); with a " +
                        instance.formatName() + " plug-in use --program and --param");
    return *vst2;
}

}  // namespace

void applySettingOptions(HostedPlugin& instance, const SettingOptions& options) {
    if (!options.bank.empty()) {
        PluginInstance& vst2 = programFileTarget(instance);
        const std::vector<PresetProgram> programs =
            decodeBank(readWholeFile(options.bank), identityOf(vst2), options.bank);
        for (size_t p = 0; p < programs.size(); ++p) {
            vst2.setProgram(static_cast<int>(p));
            applyProgram(vst2, programs[p]);
        }
        vst2.setProgram(0);
    }
    if (!options.program.empty()) instance.setProgram(findProgram(instance, options.program));
    if (!options.preset.empty()) {
        PluginInstance& vst2 = programFileTarget(instance);
        applyProgram(vst2, decodeProgram(readWholeFile(options.preset), identityOf(vst2), options.preset));
    }
    for (const std::string& text : options.parameters) applyParameterSetting(instance, parseParameterSetting(text));
}

}  // namespace vardelline::host
