// Turning what the user typed into program and parameter indices: numbers,
// or names matched against the names the plug-in reports, ignoring case and
// colons ("band 3 pan" finds "Band 3: Pan" and "Band 3 Pan").
#pragma once

#include <string>

#include "tools/host/hosted_plugin.h"
#include "tools/host/unit_values.h"

namespace vardelline::host {

// Both throw HostError for names the plug-in does not report and for
// numbers outside its range.
int findProgram(HostedPlugin& instance, const std::string& text);
int findParameter(HostedPlugin& instance, const std::string& text);

// "NAME=VALUE" as given on the command line; the value lies within 0..1 or
// carries a unit of the parameter's readout.
struct ParameterSetting {
    std::string parameter;
    float value;  // a plain value; 0 when the request carries a unit
    ValueRequest request;
};

// Splits at the last '=' and checks the value's form; throws HostError otherwise.
ParameterSetting parseParameterSetting(const std::string& text);

// Finds the parameter and sets it, searching for the value that shows a
// unit value in the readout.
void applyParameterSetting(HostedPlugin& instance, const ParameterSetting& setting);

}  // namespace vardelline::host
