// The parameter table and the texts derived from it.
#include "model/parameters.h"

#include <cstdio>
#include <cstring>

#include "model/value_text.h"

namespace vardelline {

const ParamGroup kParamGroups[] = {
    {kStartFreq, 1, "Start Freq", "Start Freq", "start_freq", ValueText::Frequency},
    {kFinishFreq, 1, "Finish Freq", "End Freq", "finish_freq", ValueText::Frequency},
    {kFreqQ, 1, "Freq Q", "Q", "freq_q", ValueText::Percent},
    {kLeftDelay, kNumBands, " Left Delay", ": Left Delay", "left_delay", ValueText::Delay},
    {kRightDelay, kNumBands, " Right Delay", ": Right Delay", "right_delay", ValueText::Delay},
    {kPan, kNumBands, " Pan", ": Pan ", "pan", ValueText::Pan},
    {kSpeed, kNumBands, " Speed", ": Speed", "speed", ValueText::Speed},
    {kWidth, kNumBands, " Width", ": Width", "width", ValueText::Percent},
    {kFeedback, kNumBands, " Feedback", ": Feed", "feedback", ValueText::Percent},
    {kBalance, 1, "Delay / Chorus", "Delay / Chorus", "balance", ValueText::Balance},
};
const size_t kNumParamGroups = sizeof(kParamGroups) / sizeof(kParamGroups[0]);

const ParamGroup* paramGroup(int index) {
    for (const ParamGroup& group : kParamGroups) {
        if (index >= group.first && index < group.first + group.count) return &group;
    }
    return nullptr;
}

void copyText(char* dst, const char* src, size_t cap) {
    if (dst == nullptr || cap == 0) return;
    size_t n = src ? strnlen(src, cap - 1) : 0;
    if (n > 0) memcpy(dst, src, n);
    dst[n] = '\0';
}

static bool writeName(int index, const char* ParamGroup::*field, char* out, size_t cap) {
    const ParamGroup* group = paramGroup(index);
    if (group == nullptr || out == nullptr || cap == 0) return false;
    if (group->count == 1) {
        copyText(out, group->*field, cap);
    } else {
        char full[48];
        snprintf(full, sizeof full, "Band %d%s", index - group->first + 1, group->*field);
        copyText(out, full, cap);
    }
    return true;
}

bool paramHostName(int index, char* out, size_t cap) {
    if (index >= kFirstUnusedParam && index < kNumParams && out != nullptr && cap > 0) {
        char name[16];
        snprintf(name, sizeof name, "Unused %d", index);
        copyText(out, name, cap);
        return true;
    }
    return writeName(index, &ParamGroup::hostName, out, cap);
}

bool paramSymbol(int index, char* out, size_t cap) {
    const ParamGroup* group = paramGroup(index);
    if (group == nullptr || out == nullptr || cap == 0) return false;
    char symbol[32];
    if (group->count == 1)
        snprintf(symbol, sizeof symbol, "%s", group->symbol);
    else
        snprintf(symbol, sizeof symbol, "band%d_%s", index - group->first + 1, group->symbol);
    copyText(out, symbol, cap);
    return true;
}

bool paramIsAudible(int index) {
    return index >= 0 && index < kFirstUnusedParam;
}

bool paramReadoutLabel(int index, char* out, size_t cap) {
    return writeName(index, &ParamGroup::readoutLabel, out, cap);
}

bool paramValueText(int index, float v, char* out, size_t cap) {
    const ParamGroup* group = paramGroup(index);
    if (group == nullptr || out == nullptr || cap == 0) return false;
    std::string text;
    switch (group->text) {
        case ValueText::Frequency: text = FilterStr(v); break;
        case ValueText::Percent: text = FPer(v); break;
        case ValueText::Delay: text = DelayStr(v); break;
        case ValueText::Pan: text = WetDryStr(v); break;
        case ValueText::Speed: text = FreqStr(v, 1, 10.0f, 2048.0f); break;
        case ValueText::Balance: text = WetDryStr2(v); break;
        case ValueText::None: return false;
    }
    copyText(out, text.c_str(), cap);
    return true;
}

}  // namespace vardelline
