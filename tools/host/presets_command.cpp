// The presets subcommand: the plug-in's programs as .fxp and .fxb files.
//   export  every program as a bank and as one program file each
//   save    the settings given (program, preset, parameters) as a program file
//   show    a program or bank file's names and values as the plug-in shows them
#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tools/host/commands.h"
#include "tools/host/host_error.h"
#include "tools/host/plugin_instance.h"
#include "tools/host/preset_file.h"
#include "tools/host/setting_options.h"

namespace vardelline::host {

namespace {

namespace fs = std::filesystem;

struct PresetsOptions {
    std::string outDir = "vardelline-presets";
    std::string output;
    std::string name;
    std::string file;
    SettingOptions settings;
};

std::string fileNamePart(const std::string& name) {
    std::string part;
    for (unsigned char c : name) part += std::isalnum(c) || c == '-' || c == '_' ? static_cast<char>(c) : '_';
    return part.empty() ? "program" : part;
}

void say(const HostContext& context, const std::string& line) {
    if (!context.quiet) std::printf("%s\n", line.c_str());
}

void runExport(const HostContext& context, const PresetsOptions& options) {
    PluginInstance instance(PluginLibrary::open(context.pluginPath), HostSettings{});
    const PresetIdentity identity = identityOf(instance);
    std::error_code error;
    fs::create_directories(options.outDir, error);
    if (error) throw HostError(options.outDir + ": cannot create folder: " + error.message());

    std::vector<PresetProgram> programs;
    for (int p = 0; p < instance.effect().numPrograms; ++p) {
        instance.setProgram(p);
        programs.push_back(captureProgram(instance));
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%02d-", p);
        const std::string path = (fs::path(options.outDir) / (prefix + fileNamePart(programs.back().name) + ".fxp")).string();
        writeWholeFile(path, encodeProgram(programs.back(), identity));
        say(context, "program " + std::to_string(p) + " " + programs.back().name + " -> " + path);
    }
    const std::string bank = (fs::path(options.outDir) / (fileNamePart(instance.effectName()) + "-factory.fxb")).string();
    writeWholeFile(bank, encodeBank(programs, identity));
    say(context, "bank of " + std::to_string(programs.size()) + " programs -> " + bank);
}

void runSave(const HostContext& context, const PresetsOptions& options) {
    checkSettingOptions(options.settings);
    PluginInstance instance(PluginLibrary::open(context.pluginPath), HostSettings{});
    applySettingOptions(instance, options.settings);
    PresetProgram program = captureProgram(instance);
    if (!options.name.empty()) program.name = options.name;
    writeWholeFile(options.output, encodeProgram(program, identityOf(instance)));
    say(context, "program " + program.name + " -> " + options.output);
}

void printProgram(PluginInstance& instance, const PresetProgram& program) {
    std::printf("%s\n", program.name.c_str());
    applyProgram(instance, program);
    for (size_t i = 0; i < program.values.size(); ++i) {
        const std::string name = instance.parameterName(static_cast<int>(i));
        if (name.empty()) continue;
        std::printf("  %2zu  %-20s %-8.6f %s\n", i, name.c_str(), static_cast<double>(program.values[i]),
                    instance.parameterDisplay(static_cast<int>(i)).c_str());
    }
}

void runShow(const HostContext& context, const PresetsOptions& options) {
    PluginInstance instance(PluginLibrary::open(context.pluginPath), HostSettings{});
    const PresetIdentity identity = identityOf(instance);
    const std::vector<uint8_t> bytes = readWholeFile(options.file);
    // The kind sits at byte 8: "FxBk" for a bank.
    if (bytes.size() >= 12 && std::string(bytes.begin() + 8, bytes.begin() + 12) == "FxBk") {
        const std::vector<PresetProgram> programs = decodeBank(bytes, identity, options.file);
        for (size_t p = 0; p < programs.size(); ++p) {
            instance.setProgram(static_cast<int>(p));
            std::printf("%zu: ", p);
            printProgram(instance, programs[p]);
        }
    } else {
        printProgram(instance, decodeProgram(bytes, identity, options.file));
    }
}

}  // namespace

void registerPresetsCommand(CLI::App& app, const HostContext& context) {
    auto options = std::make_shared<PresetsOptions>();
    CLI::App* presets = app.add_subcommand("presets", "Write and read the plug-in's programs as .fxp and .fxb files");
    presets->require_subcommand(1);

    CLI::App* exporter = presets->add_subcommand("export", "Write every program as one bank (.fxb) and as program files (.fxp)");
    exporter->add_option("--out-dir", options->outDir, "Folder to write into")->capture_default_str();
    exporter->callback([&context, options] { runExport(context, *options); });

    CLI::App* save = presets->add_subcommand("save", "Write the settings given as a program file (.fxp)");
    save->add_option("-o,--output", options->output, "Program file to write")->required();
    save->add_option("--name", options->name, "Program name to store (up to 27 characters)");
    addSettingOptions(*save, options->settings);
    save->callback([&context, options] { runSave(context, *options); });

    CLI::App* show = presets->add_subcommand("show", "Print the programs of a .fxp or .fxb file with the plug-in's texts");
    show->add_option("file", options->file, "Program or bank file")->required();
    show->callback([&context, options] { runShow(context, *options); });
}

}  // namespace vardelline::host
