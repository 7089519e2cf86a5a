// The parameter entries and the texts a host reads: setParameter and
// getParameter with hostile indices and values (hosts call both from the
// audio thread, so they must take anything), and every name, label, display
// and identity text into a buffer of exactly the interface's size.
#include <cfloat>
#include <climits>
#include <cstring>
#include <limits>
#include <vector>

#include "tools/host/validate_groups.h"
#include "tools/host/validate_signal.h"
#include "tools/host/validate_subject.h"

namespace vardelline::host::validate {

namespace {

constexpr int kParams = 80;

float clamped(float value) {
    if (!(value >= 0.0f)) return 0.0f;
    return value > 1.0f ? 1.0f : value;
}

void checkValues(Subject& subject, GroupReport& report) {
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::quiet_NaN(),
                            inf,
                            -inf,
                            1e30f,
                            -1e30f,
                            FLT_MAX,
                            -FLT_MAX,
                            FLT_MIN / 4.0f,
                            -0.0f,
                            1.0000001f,
                            0.25f,
                            1.0f,
                            0.0f};
    for (int index = 0; index < kParams; ++index) {
        for (float value : values) {
            subject.setParameter(index, value);
            const float got = subject.getParameter(index);
            if (!report.check(got == clamped(value), format("setParameter(%d, %g) reads back %g", index,
                                                            static_cast<double>(value), static_cast<double>(got))))
                return;
        }
    }
}

void checkIndices(Subject& subject, GroupReport& report) {
    float before[kParams];
    for (int i = 0; i < kParams; ++i) before[i] = subject.getParameter(i);
    const VstInt32 indices[] = {-1, 80, 81, 82, 500, 501, 1000000, INT_MAX, INT_MIN, -80};
    for (VstInt32 index : indices) {
        for (float value : {0.5f, 1.0f, std::numeric_limits<float>::quiet_NaN(), 1e30f}) {
            subject.setParameter(index, value);
            report.check(subject.getParameter(index) == 0.0f, format("getParameter(%d) gives %g, not 0", index,
                                                                     static_cast<double>(subject.getParameter(index))));
        }
    }
    bool unchanged = true;
    for (int i = 0; i < kParams; ++i) unchanged = unchanged && subject.getParameter(i) == before[i];
    report.check(unchanged, "setParameter with an index outside 0..79 changed a host parameter");
}

// A text request into a buffer of exactly size bytes; empty when nothing was written.
std::string askText(Subject& subject, GroupReport& report, VstInt32 opcode, VstInt32 index, size_t size,
                    VstIntPtr value = 0) {
    GuardedBytes buffer(size);
    buffer.fillUnterminated();
    subject.dispatch(opcode, index, value, buffer.data());
    const std::string what = format("opcode %d index %d", opcode, index);
    report.check(buffer.guardsIntact(), "wrote outside the buffer: " + what);
    const bool untouched = std::string(buffer.data(), size) == std::string(size, 'A');
    if (untouched) return {};
    if (!report.check(buffer.terminated(), "unterminated text: " + what)) return {};
    return buffer.data();
}

void checkTexts(Subject& subject, GroupReport& report) {
    std::vector<VstInt32> indices = {INT_MIN, INT_MAX, -1000000, 1000000};
    for (VstInt32 index = -2; index <= 82; ++index) indices.push_back(index);
    for (VstInt32 index : indices) {
        const std::string name = askText(subject, report, effGetParamName, index, kVstMaxParamStrLen);
        const std::string label = askText(subject, report, effGetParamLabel, index, kVstMaxParamStrLen);
        const std::string display = askText(subject, report, effGetParamDisplay, index, kVstMaxParamStrLen);
        const bool used = index >= 0 && index <= 51;
        const bool named = index >= 0 && index <= 79;
        report.check(named != name.empty(), format("parameter %d has name '%s'", index, name.c_str()));
        report.check(name.find(':') == std::string::npos, format("parameter %d's name '%s' has a colon", index, name.c_str()));
        report.check(label.empty(), format("parameter %d has label '%s'", index, label.c_str()));
        report.check(used != display.empty(), format("parameter %d shows '%s'", index, display.c_str()));
    }
    report.check(askText(subject, report, effGetParamName, 0, kVstMaxParamStrLen) == "Start Freq", "name of 0");
    report.check(askText(subject, report, effGetParamName, 50, kVstMaxParamStrLen) == "Band 8 Feedback", "name of 50");
    report.check(askText(subject, report, effGetEffectName, 0, kVstMaxEffectNameLen) == "Vardelline", "effect name");
    report.check(askText(subject, report, effGetVendorString, 0, kVstMaxVendorStrLen) == "Quorvane", "vendor");
    report.check(askText(subject, report, effGetProductString, 0, kVstMaxProductStrLen) == "Vardelline", "product");
    const char* const names[] = {"Default", "DefaultSpread", "AlterSpread", "Panned",
                                 "Extreme", "HighSpread",    "Expanding",   "Narrow"};
    for (int p = 0; p < 8; ++p)
        report.check(askText(subject, report, effGetProgramNameIndexed, p, kVstMaxProgNameLen, -1) == names[p],
                     format("name of program %d", p));

    // Names longer than any buffer: stored bounded, read back bounded.
    GuardedBytes longName(4096);
    subject.dispatch(effSetProgramName, 0, 0, longName.data());
    report.check(longName.guardsIntact(), "effSetProgramName wrote into the host's text");
    const std::string back = askText(subject, report, effGetProgramName, 0, kVstMaxProgNameLen);
    report.check(back == std::string(kVstMaxProgNameLen - 1, 'A'), "a long program name reads back as '" + back + "'");

    for (const char* capability : {"receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo"})
        report.check(subject.dispatch(effCanDo, 0, 0, const_cast<char*>(capability)) == 1,
                     std::string("canDo ") + capability);
    for (const char* capability : {"", "sendVstEvents", "ReceiveVstEvents", "bypass"})
        report.check(subject.dispatch(effCanDo, 0, 0, const_cast<char*>(capability)) == -1,
                     std::string("canDo '") + capability + "'");
    for (int pin = 0; pin < 2; ++pin) {
        VstPinProperties properties{};
        report.check(subject.dispatch(effGetOutputProperties, pin, 0, &properties) == 1 &&
                         std::strcmp(properties.label, pin == 0 ? "Vardelline 1" : "Vardelline 2") == 0 &&
                         properties.flags == 3,
                     format("output pin %d", pin));
    }
}

}  // namespace

void runParameterEntryGroup(GroupContext& context, GroupReport& report) {
    report.describe(
        "setParameter/getParameter with 14 hostile values on 80 indices and 10 outside indices; "
        "names, labels, displays of indices -2..82 and beyond, identity texts, into exact-size buffers");
    auto subject = Subject::create(*context.library);
    if (!report.check(subject != nullptr, "no instance")) return;
    checkValues(*subject, report);
    checkIndices(*subject, report);
    checkTexts(*subject, report);
}

}  // namespace vardelline::host::validate
