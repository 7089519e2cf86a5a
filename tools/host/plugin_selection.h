// Turning what the user typed into program and parameter indices: numbers,
// or names matched case-insensitively against the names the plug-in reports.
#pragma once

#include <string>

#include "tools/host/plugin_instance.h"

namespace vardelline::host {

// Both throw HostError for names the plug-in does not report and for
// numbers outside its range.
int findProgram(PluginInstance& instance, const std::string& text);
int findParameter(PluginInstance& instance, const std::string& text);

// "NAME=VALUE" as given on the command line; the value lies within 0..1.
struct ParameterSetting {
    std::string parameter;
    float value;
};

// Splits at the last '=' and checks the value; throws HostError otherwise.
ParameterSetting parseParameterSetting(const std::string& text);

// Finds the parameter and sets it.
void applyParameterSetting(PluginInstance& instance, const ParameterSetting& setting);

}  // namespace vardelline::host
