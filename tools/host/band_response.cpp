// Band-pass design with the plug-in's constants: its power of two carries a
// gain of e^0.0001, and pi is taken as 3.14159.
#include "tools/host/band_response.h"

#include <algorithm>
#include <cmath>

namespace vardelline::host {

namespace {

constexpr double kPi = 3.14159265358979323846;  // the response itself at full precision

double powerOfTwo(double x) {
    return std::exp(0.6931472 * x + 0.0001);
}

}  // namespace

std::array<BandFilter, kBandCount> designBands(float start, float finish, float width, double sampleRate) {
    std::array<BandFilter, kBandCount> bands{};
    const double q = std::isnan(width) ? 0.99 : std::clamp(static_cast<double>(width), 0.005, 0.99);
    for (int b = 0; b < kBandCount; ++b) {
        const double position = start + (static_cast<double>(finish) - start) * b / (kBandCount - 1);
        const double fc = 20.0 * powerOfTwo(10.0 * position);
        const double bw = q * fc / sampleRate;
        const double w = fc / sampleRate;
        const double k = std::cos(3.14159 * bw) / std::sin(3.14159 * bw);
        const double d = 2.0 * std::cos(6.28318 * w);
        const double n = 1.0 / (1.00000001 + k);
        bands[static_cast<size_t>(b)] = {fc, n, -n, -k * d * n, (k - 1.0) * n};
    }
    return bands;
}

std::complex<double> bandResponse(const BandFilter& band, double hz, double sampleRate) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * hz / sampleRate);
    const std::complex<double> z2 = z1 * z1;
    return (band.b0 + band.b2 * z2) / (1.0 + band.a1 * z1 + band.a2 * z2);
}

}  // namespace vardelline::host
