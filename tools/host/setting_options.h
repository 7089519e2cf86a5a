// The options that choose the plug-in's settings, shared by render,
// snapshot, edit and presets save: a bank file, a program, a program file
// and single parameters, applied in that order so each can refine the last.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vardelline::host {

class HostedPlugin;

struct SettingOptions {
    std::string bank;     // .fxb loaded into all programs
    std::string program;  // number or name
    std::string preset;   // .fxp loaded into the current program
    std::vector<std::string> parameters;  // NAME=VALUE
};

void addSettingOptions(CLI::App& command, SettingOptions& options);

// Checks what can be checked before the plug-in is loaded (the NAME=VALUE
// forms, that the files exist); throws HostError.
void checkSettingOptions(const SettingOptions& options);

void applySettingOptions(HostedPlugin& instance, const SettingOptions& options);

}  // namespace vardelline::host
