// Value formatters of the readout. Arithmetic is done in double on float32
// inputs; rounding to integers never depends on the FPU rounding mode.
#include "model/value_text.h"

#include <charconv>
#include <cmath>

#include "dsp/portable_math.h"

namespace vardelline {

float Pow2Readout(float x) {
    return static_cast<float>(portableExp(0.6931472 * static_cast<double>(x)));
}

std::string GeneralText(double x) {
    char buffer[64];
    if (x == 0.0) x = 0.0;  // no "-0"
    auto result = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

static std::string IntegerText(int n) {
    return std::to_string(n);
}

std::string FilterStr(float x) {
    float f = static_cast<float>(20.0 * static_cast<double>(Pow2Readout(static_cast<float>(10.0 * x))));
    if (f < 1000.0f) return GeneralText(Nearest(f)) + "Hz";
    return GeneralText(Nearest(static_cast<double>(f) / 100.0) / 10.0) + "KHz";
}

std::string DelayStr(float v) {
    return GeneralText(RoundDown(static_cast<float>(static_cast<double>(v) * 1600.0)) / 10.0) + " ms";
}

std::string FreqStr(float v, int offAllowed, float span, float divisor) {
    float octaves = static_cast<float>(static_cast<double>(v) * span);
    float f = static_cast<float>(static_cast<double>(Pow2Readout(octaves)) * (55.0 / divisor));
    if (v == 0.0f && offAllowed == 1) return "Off";
    double fd = f;
    if (fd < 10.0) return GeneralText(RoundDown(static_cast<float>(fd * 100.0)) / 100.0) + "Hz";
    if (fd < 100.0) return GeneralText(RoundDown(static_cast<float>(fd * 10.0)) / 10.0) + "Hz";
    if (fd < 1000.0) return GeneralText(RoundDown(f)) + "Hz";
    return GeneralText(RoundDown(static_cast<float>(fd / 100.0)) / 10.0) + "KHz";
}

std::string FPer(float v) {
    return GeneralText(Nearest(static_cast<double>(v) * 1000.0) / 10.0) + "%";
}

static std::string BalanceText(const char* prefix, float v) {
    std::string left = "100%";
    std::string right = "100";
    if (v < 0.5f) {
        left = IntegerText(RoundDown(static_cast<float>(static_cast<double>(v) * 200.0))) + "%";
    } else {
        right = IntegerText(RoundDown(static_cast<float>(200.0 - static_cast<double>(v) * 200.0)));
    }
    return prefix + left + "/" + right;
}

std::string WetDryStr(float v) {
    return BalanceText("L/R : ", v);
}
std::string WetDryStr2(float v) {
    return BalanceText("D/C : ", v);
}

float limit(float x) {
    if (!(x >= 0.0f)) return 0.0f;
    if (x > 1.0f) return 1.0f;
    return x;
}

}  // namespace vardelline
