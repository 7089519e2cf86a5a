// Byte layouts of .fxp and .fxb files.
//
// Program ("FxCk"), 56 bytes of header then the values:
//   0 'CcnK'  4 byte size after this field  8 'FxCk'  12 format version (1)
//   16 plug-in id  20 plug-in version  24 parameter count  28 name[28]
//   56 parameter values, big-endian float32
// Bank ("FxBk"), 156 bytes of header then each program as above:
//   0 'CcnK'  4 byte size  8 'FxBk'  12 format version (1; 2 stores the
//   current program at 28)  16 plug-in id  20 plug-in version
//   24 program count  28 reserved[128]
#include "tools/host/preset_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "tools/host/host_error.h"
#include "tools/host/plugin_instance.h"

namespace vardelline::host {

namespace {

constexpr size_t kProgramHeader = 56;
constexpr size_t kBankHeader = 156;
constexpr size_t kNameBytes = 28;
constexpr int32_t kMaxCount = 1 << 20;  // far above any plug-in; keeps sizes from overflowing

constexpr int32_t code(const char (&text)[5]) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
                                static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16 |
                                static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8 |
                                static_cast<uint32_t>(static_cast<unsigned char>(text[3])));
}

std::string codeText(int32_t value) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(static_cast<uint32_t>(value) >> shift);
        text += c >= 32 && c < 127 ? static_cast<char>(c) : '?';
    }
    return text;
}

void putInt(std::vector<uint8_t>& out, int32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> shift));
}

void putFloat(std::vector<uint8_t>& out, float value) {
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putInt(out, bits);
}

int32_t intAt(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | bytes[offset + i];
    return static_cast<int32_t>(value);
}

float floatAt(const std::vector<uint8_t>& bytes, size_t offset) {
    const int32_t bits = intAt(bytes, offset);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void appendProgram(std::vector<uint8_t>& out, const PresetProgram& program, const PresetIdentity& identity) {
    const auto count = static_cast<int32_t>(program.values.size());
    putInt(out, code("CcnK"));
    putInt(out, static_cast<int32_t>(kProgramHeader - 8 + 4 * program.values.size()));
    putInt(out, code("FxCk"));
    putInt(out, 1);
    putInt(out, identity.pluginId);
    putInt(out, identity.pluginVersion);
    putInt(out, count);
    char name[kNameBytes] = {};
    std::strncpy(name, program.name.c_str(), kNameBytes - 1);
    out.insert(out.end(), name, name + kNameBytes);
    for (float value : program.values) putFloat(out, value);
}

// Checks the container at offset, which must be of kind expected ('FxCk' or
// 'FxBk'); end receives where it ends.
void checkContainer(const std::vector<uint8_t>& bytes, size_t offset, int32_t expected, const PresetIdentity& identity,
                    const std::string& source, size_t& end) {
    const std::string truncated = source + ": file is truncated";
    if (bytes.size() < offset + 12) throw HostError(truncated + " (" + std::to_string(bytes.size() - std::min(offset, bytes.size())) + " bytes)");
    if (intAt(bytes, offset) != code("CcnK")) throw HostError(source + ": not a VST preset file (no 'CcnK' mark)");
    const int32_t kind = intAt(bytes, offset + 8);
    if (kind == code("FPCh") || kind == code("FBCh"))
        throw HostError(source + ": holds an opaque chunk; this plug-in stores plain parameter values");
    if (kind == code("FxCk") && expected == code("FxBk")) throw HostError(source + ": holds one program; load it with --preset");
    if (kind != expected)
        throw HostError(source + ": holds '" + codeText(kind) + "', not " +
                        (expected == code("FxCk") ? "a program ('FxCk')" : "a bank ('FxBk')"));
    const size_t header = expected == code("FxCk") ? kProgramHeader : kBankHeader;
    const auto size = static_cast<uint32_t>(intAt(bytes, offset + 4));
    end = offset + 8 + size;
    if (end > bytes.size())
        throw HostError(truncated + " (it announces " + std::to_string(size + 8ull) + " bytes, holds " +
                        std::to_string(bytes.size() - offset) + ")");
    if (end < offset + header) throw HostError(truncated + " (" + std::to_string(size + 8ull) + " bytes announced)");
    const int32_t plugin = intAt(bytes, offset + 16);
    if (plugin != identity.pluginId)
        throw HostError(source + ": file is for plug-in '" + codeText(plugin) + "', not '" + codeText(identity.pluginId) + "'");
}

PresetProgram programAt(const std::vector<uint8_t>& bytes, size_t offset, const PresetIdentity& identity,
                        const std::string& source, size_t& end) {
    checkContainer(bytes, offset, code("FxCk"), identity, source, end);
    const int32_t count = intAt(bytes, offset + 24);
    if (count < 0 || count > kMaxCount || (identity.parameterCount > 0 && count != identity.parameterCount))
        throw HostError(source + ": holds " + std::to_string(count) + " parameter values; the plug-in has " +
                        std::to_string(identity.parameterCount));
    if (end < offset + kProgramHeader + 4 * static_cast<size_t>(count))
        throw HostError(source + ": file is truncated (" + std::to_string(count) + " values announced)");
    PresetProgram program;
    const char* name = reinterpret_cast<const char*>(bytes.data() + offset + 28);
    program.name.assign(name, strnlen(name, kNameBytes));
    for (int32_t i = 0; i < count; ++i) program.values.push_back(floatAt(bytes, offset + kProgramHeader + 4 * static_cast<size_t>(i)));
    return program;
}

}  // namespace

std::vector<uint8_t> encodeProgram(const PresetProgram& program, const PresetIdentity& identity) {
    std::vector<uint8_t> out;
    appendProgram(out, program, identity);
    return out;
}

std::vector<uint8_t> encodeBank(const std::vector<PresetProgram>& programs, const PresetIdentity& identity) {
    std::vector<uint8_t> out;
    putInt(out, code("CcnK"));
    putInt(out, 0);  // the size, filled in below
    putInt(out, code("FxBk"));
    putInt(out, 1);
    putInt(out, identity.pluginId);
    putInt(out, identity.pluginVersion);
    putInt(out, static_cast<int32_t>(programs.size()));
    out.resize(kBankHeader, 0);
    for (const PresetProgram& program : programs) appendProgram(out, program, identity);
    const auto size = static_cast<int32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(size) >> (24 - 8 * i));
    return out;
}

PresetProgram decodeProgram(const std::vector<uint8_t>& bytes, const PresetIdentity& identity,
                            const std::string& source) {
    size_t end = 0;
    return programAt(bytes, 0, identity, source, end);
}

std::vector<PresetProgram> decodeBank(const std::vector<uint8_t>& bytes, const PresetIdentity& identity,
                                      const std::string& source) {
    size_t end = 0;
    checkContainer(bytes, 0, code("FxBk"), identity, source, end);
    const int32_t count = intAt(bytes, 24);
    if (count < 1 || count > kMaxCount || (identity.programCount > 0 && count != identity.programCount))
        throw HostError(source + ": holds " + std::to_string(count) + " programs; the plug-in has " +
                        std::to_string(identity.programCount));
    std::vector<PresetProgram> programs;
    size_t offset = kBankHeader;
    for (int32_t p = 0; p < count; ++p) {
        size_t programEnd = 0;
        if (offset >= end) throw HostError(source + ": file is truncated (" + std::to_string(p) + " of " + std::to_string(count) + " programs)");
        programs.push_back(programAt(bytes, offset, identity, source + ": program " + std::to_string(p), programEnd));
        if (programEnd > end) throw HostError(source + ": program " + std::to_string(p) + " runs past the bank's end");
        offset = programEnd;
    }
    return programs;
}

std::vector<uint8_t> readWholeFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) throw HostError(path + ": no such file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw HostError(path + ": cannot read");
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::random_device random;
    const std::string temporary = path + ".tmp-" + std::to_string(random());
    {
        std::ofstream out(temporary, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw HostError(path + ": cannot write");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        throw HostError(path + ": cannot write: " + error.message());
    }
}

PresetIdentity identityOf(PluginInstance& instance) {
    const AEffect& effect = instance.effect();
    return {effect.uniqueID, effect.version, effect.numParams, effect.numPrograms};
}

PresetProgram captureProgram(PluginInstance& instance) {
    PresetProgram program{instance.currentProgramName(), {}};
    for (int i = 0; i < instance.effect().numParams; ++i) program.values.push_back(instance.getParameter(i));
    return program;
}

void applyProgram(PluginInstance& instance, const PresetProgram& program) {
    for (size_t i = 0; i < program.values.size(); ++i) instance.setParameter(static_cast<int>(i), program.values[i]);
    std::vector<char> name(program.name.begin(), program.name.end());
    name.push_back('\0');
    instance.dispatch(effSetProgramName, 0, 0, name.data());
}

}  // namespace vardelline::host
