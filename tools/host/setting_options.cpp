// Applying bank, program, preset and parameters to an instance.
#include "tools/host/setting_options.h"

#include <CLI/CLI.hpp>

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

void applySettingOptions(PluginInstance& instance, const SettingOptions& options) {
    const PresetIdentity identity = identityOf(instance);
    if (!options.bank.empty()) {
        const std::vector<PresetProgram> programs = decodeBank(readWholeFile(options.bank), identity, options.bank);
        for (size_t p = 0; p < programs.size(); ++p) {
            instance.setProgram(static_cast<int>(p));
            applyProgram(instance, programs[p]);
        }
        instance.setProgram(0);
    }
    if (!options.program.empty()) instance.setProgram(findProgram(instance, options.program));
    if (!options.preset.empty())
        applyProgram(instance, decodeProgram(readWholeFile(options.preset), identity, options.preset));
    for (const std::string& text : options.parameters) applyParameterSetting(instance, parseParameterSetting(text));
}

}  // namespace vardelline::host
