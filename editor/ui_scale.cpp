// Scale factors: sanity, parsing and rounding to device pixels.
#include "editor/ui_scale.h"

#include <cmath>
#include <cstdlib>

namespace vardelline::gui {

double saneScale(double factor) {
    if (!(factor > 0.0)) return kMinScale;  // NaN, zero, negative
    return std::fmin(std::fmax(factor, kMinScale), kMaxScale);
}

bool parseScale(const char* text, double& factor) {
    if (text == nullptr) return false;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return false;
    factor = value;
    return true;
}

int Scale::at(double layoutPixels) const {
    return static_cast<int>(std::lround(layoutPixels * factor_));
}

int Scale::size(double layoutPixels) const {
    if (!(layoutPixels > 0.0)) return 0;
    return std::max(1, static_cast<int>(std::lround(layoutPixels * factor_)));
}

int Scale::toLayout(int devicePixels) const {
    return static_cast<int>(std::floor(devicePixels / factor_));
}

}  // namespace vardelline::gui
