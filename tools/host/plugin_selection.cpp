// Name and number lookups for programs and parameters.
#include "tools/host/plugin_selection.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {


// Lower case, without colons, blanks collapsed: the form names are compared in.
std::string comparable(const std::string& name) {
    std::string form;
    for (unsigned char c : name) {
        if (c == ':') continue;
        if (std::isspace(c)) {
            if (!form.empty() && form.back() != ' ') form += ' ';
            continue;
        }
        form += static_cast<char>(std::tolower(c));
    }
    while (!form.empty() && form.back() == ' ') form.pop_back();
    return form;
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
    const std::string wantedForm = comparable(wanted);
    for (int i = 0; i < count; ++i)
        if (!wantedForm.empty() && comparable(nameOf(i)) == wantedForm) return i;
    throw HostError(std::string("unknown ") + kind + " '" + text + "' ('vardelline-host info' lists them)");
}

}  // namespace

int findProgram(HostedPlugin& instance, const std::string& text) {
    return findEntry(
        text, instance.programCount(), [&](int i) { return instance.programName(i); }, "program");
}

int findParameter(HostedPlugin& instance, const std::string& text) {
    return findEntry(
        text, instance.parameterCount(), [&](int i) { return instance.parameterName(i); }, "parameter");
}

ParameterSetting parseParameterSetting(const std::string& text) {
    const size_t equals = text.rfind('=');
    if (equals == std::string::npos || trimmed(text.substr(0, equals)).empty())
        throw HostError("parameter setting '" + text + "' needs the form NAME=VALUE");
    ParameterSetting setting{trimmed(text.substr(0, equals)), 0.0f, {}};
    setting.request = parseValueRequest(text.substr(equals + 1), setting.parameter);
    if (setting.request.quantity == Quantity::Plain) setting.value = static_cast<float>(setting.request.amount);
    return setting;
}

void applyParameterSetting(HostedPlugin& instance, const ParameterSetting& setting) {
    const int index = findParameter(instance, setting.parameter);
    const float value = setting.request.quantity == Quantity::Plain
                            ? setting.value
                            : findValueForRequest(instance, index, setting.request, setting.parameter);
    instance.setParameter(index, value);
}

}  // namespace vardelline::host
