// Programs and banks in the files VST 2 hosts exchange: ".fxp" holds one
// program ("CcnK" container of kind "FxCk": name and parameter values), ".fxb"
// a bank of them ("FxBk"). All numbers are big-endian; the plug-in's unique
// id and version are stored so that a file reaches only its own plug-in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vardelline::host {

class PluginInstance;

struct PresetProgram {
    std::string name;  // up to 27 characters are stored
    std::vector<float> values;
};

// What a file must match to be loaded; 0 counts mean "any" when reading.
struct PresetIdentity {
    int32_t pluginId = 0;
    int32_t pluginVersion = 0;
    int32_t parameterCount = 0;
    int32_t programCount = 0;
};

std::vector<uint8_t> encodeProgram(const PresetProgram& program, const PresetIdentity& identity);
std::vector<uint8_t> encodeBank(const std::vector<PresetProgram>& programs, const PresetIdentity& identity);

// Both throw HostError beginning with source for another plug-in's file, a
// truncated or malformed one, or counts that do not match the identity's.
PresetProgram decodeProgram(const std::vector<uint8_t>& bytes, const PresetIdentity& identity,
                            const std::string& source);
std::vector<PresetProgram> decodeBank(const std::vector<uint8_t>& bytes, const PresetIdentity& identity,
                                      const std::string& source);

std::vector<uint8_t> readWholeFile(const std::string& path);
// Writes through a temporary file renamed into place.
void writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// The plug-in's identity, its current program as a preset, and a preset put
// into its current program (values and name).
PresetIdentity identityOf(PluginInstance& instance);
PresetProgram captureProgram(PluginInstance& instance);
void applyProgram(PluginInstance& instance, const PresetProgram& program);

}  // namespace vardelline::host
