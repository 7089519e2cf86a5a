// Text to value. Every value text grows with the value, so each text form
// is read into a number that grows with it (its "key"), and the value is
// found by bisection over 0..1 against the texts the parameter writes.
#include "clap/param_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "model/parameters.h"

namespace vardelline::clapfx {

namespace {

// A number at the start of text; advances text past it.
bool readNumber(const char*& text, double* number) {
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, *number);
    if (result.ec != std::errc() || !std::isfinite(*number)) return false;
    text = result.ptr;
    return true;
}

void skipSpaces(const char*& text) {
    while (*text == ' ' || *text == '\t') ++text;
}

bool readWord(const char*& text, const char* word) {
    const size_t n = std::strlen(word);
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(word[i])))
            return false;
    }
    text += n;
    return true;
}

bool atEnd(const char*& text) {
    skipSpaces(text);
    return *text == '\0';
}

// "640Hz", "20.5KHz" (any case, spaces allowed) in hertz. Rounding to
// the nearest hertz writes "1000Hz" just below the values that read "1KHz":
// kilohertz texts count a quarter hertz more, so that each text has a key
// of its own and the keys still grow with the value.
bool readFrequency(const char* text, double* hz) {
    if (!readNumber(text, hz)) return false;
    skipSpaces(text);
    if (readWord(text, "khz")) {
        *hz = *hz * 1000.0 + 0.25;
    } else if (!readWord(text, "hz")) {
        return false;
    }
    return atEnd(text);
}

// "L/R : 100%/79": the left share below the middle, 200 less the right one
// from the middle up, so that the key grows from 0 to 200.
bool readBalance(const char* text, const char* prefix, double* key) {
    double left = 0.0;
    double right = 0.0;
    skipSpaces(text);
    if (!readWord(text, prefix)) return false;
    skipSpaces(text);
    if (!readWord(text, ":")) return false;
    skipSpaces(text);
    if (!readNumber(text, &left) || !readWord(text, "%/") || !readNumber(text, &right) || !atEnd(text)) return false;
    *key = left < 100.0 ? left : 200.0 - right;
    return true;
}

bool readWithUnit(const char* text, const char* unit, double* key) {
    if (!readNumber(text, key)) return false;
    skipSpaces(text);
    return readWord(text, unit) && atEnd(text);
}

// The key of a text in the form kind writes; false if it is not that form.
bool keyOf(ValueText kind, const char* text, double* key) {
    while (*text == ' ' || *text == '\t') ++text;
    switch (kind) {
        case ValueText::Frequency: return readFrequency(text, key);
        case ValueText::Percent: return readWithUnit(text, "%", key);
        case ValueText::Delay: return readWithUnit(text, "ms", key);
        case ValueText::Speed:
            if (readWord(text, "off") && atEnd(text)) {
                *key = -1.0;
                return true;
            }
            return readFrequency(text, key);
        case ValueText::Pan: return readBalance(text, "L/R", key);
        case ValueText::Balance: return readBalance(text, "D/C", key);
        case ValueText::None: return false;
    }
    return false;
}

// The key of the text the parameter writes for v.
double keyAt(int index, ValueText kind, float v) {
    char text[64];
    double key = 0.0;
    if (!paramValueText(index, v, text, sizeof text) || !keyOf(kind, text, &key)) return 0.0;
    return key;
}

// The smallest value whose key reaches target (1 when none does).
float bisect(int index, ValueText kind, double target) {
    float lo = 0.0f;
    float hi = 1.0f;
    if (keyAt(index, kind, lo) >= target) return lo;
    if (keyAt(index, kind, hi) < target) return hi;
    // Invariant: key(lo) < target <= key(hi). 64 halvings reach neighbouring floats.
    for (int step = 0; step < 64 && std::nextafter(lo, hi) < hi; ++step) {
        const float mid = static_cast<float>((static_cast<double>(lo) + hi) / 2.0);
        if (mid <= lo || mid >= hi) break;
        if (keyAt(index, kind, mid) >= target) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return hi;
}

}  // namespace

bool paramValueFromText(int index, const char* text, double* value) {
    const ParamGroup* group = paramGroup(index);
    if (group == nullptr || group->text == ValueText::None || text == nullptr || value == nullptr) return false;

    double key = 0.0;
    if (keyOf(group->text, text, &key)) {
        const float found = bisect(index, group->text, key);
        // A text between two that values produce: take the nearer one.
        const float below = std::nextafter(found, 0.0f);
        if (found > 0.0f && std::fabs(keyAt(index, group->text, below) - key) < std::fabs(keyAt(index, group->text, found) - key))
            *value = below;
        else
            *value = found;
        return true;
    }

    // A plain number is the value itself.
    const char* cursor = text;
    skipSpaces(cursor);
    double plain = 0.0;
    if (!readNumber(cursor, &plain) || !atEnd(cursor) || plain < 0.0 || plain > 1.0) return false;
    *value = plain;
    return true;
}

}  // namespace vardelline::clapfx
