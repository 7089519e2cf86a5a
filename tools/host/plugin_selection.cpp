// Name and number lookups for programs and parameters.
#include "tools/host/plugin_selection.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Names match ignoring case and colons, so "Band 3: Pan" still finds "Band 3 Pan".
std::string comparable(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ':') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool sameName(const std::string& a, const std::string& b) {
    return comparable(a) == comparable(b);
}

// The number text stands for, or -1 when it is not a plain decimal number.
long plainNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return -1;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    return std::strtol(text.c_str(), nullptr, 10);
}

// Looks text up among count entries named by nameOf; kind is "program" or "parameter".
int findEntry(const std::string& text, int count, const std::function<std::string(int)>& nameOf, const char* kind) {
    const std::string wanted = trimmed(text);
    const long number = plainNumber(wanted);
    if (number >= 0) {
        if (number < count) return static_cast<int>(number);
        throw HostError(std::string("unknown ") + kind + " '" + text + "' (the plug-in has " + kind + "s 0 to " +
                        std::to_string(count - 1) + ")");
    }
    for (int i = 0; i < count; ++i)
        if (!wanted.empty() && sameName(trimmed(nameOf(i)), wanted)) return i;
    throw HostError(std::string("unknown ") + kind + " '" + text + "' ('vardelline-host info' lists them)");
}

}  // namespace

int findProgram(PluginInstance& instance, const std::string& text) {
    return findEntry(
        text, instance.effect().numPrograms, [&](int i) { return instance.programName(i); }, "program");
}

int findParameter(PluginInstance& instance, const std::string& text) {
    return findEntry(
        text, instance.effect().numParams, [&](int i) { return instance.parameterName(i); }, "parameter");
}

ParameterSetting parseParameterSetting(const std::string& text) {
    const size_t equals = text.rfind('=');
    if (equals == std::string::npos || trimmed(text.substr(0, equals)).empty())
        throw HostError("parameter setting '" + text + "' needs the form NAME=VALUE");
    ParameterSetting setting{trimmed(text.substr(0, equals)), 0.0f};
    const std::string valueText = trimmed(text.substr(equals + 1));

    char* end = nullptr;
    const double value = std::strtod(valueText.c_str(), &end);
    if (valueText.empty() || *end != '\0' || !std::isfinite(value))
        throw HostError("value '" + valueText + "' for parameter '" + setting.parameter + "' is not a number");
    if (value < 0.0 || value > 1.0)
        throw HostError("value " + valueText + " for parameter '" + setting.parameter + "' is outside 0..1");
    setting.value = static_cast<float>(value);
    return setting;
}

void applyParameterSetting(PluginInstance& instance, const ParameterSetting& setting) {
    instance.setParameter(findParameter(instance, setting.parameter), setting.value);
}

}  // namespace vardelline::host
