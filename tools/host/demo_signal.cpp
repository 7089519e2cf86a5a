// Builds the demo signal section by section; each section writes into its own
// stretch of the buffer and leaves the last half second silent for the tails.
#include "tools/host/demo_signal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vardelline::host {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Section layout in seconds.
constexpr double kClicksStart = 0.0, kClicksEnd = 1.5;
constexpr double kSweepStart = 1.5, kSweepEnd = 3.5;
constexpr double kBurstsStart = 3.5, kBurstsEnd = 5.5;

constexpr int kBands = 8;
constexpr double kLowestCentre = 20.0;
constexpr double kOctavesSpanned = 10.0;  // the band centres' full range, 20 Hz to 20.48 kHz

// Our own generator, so the noise does not depend on a library's distribution.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed) {}
    float next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<float>(static_cast<double>(state_) / 2147483648.0 - 1.0);
    }

private:
    uint32_t state_;
};

// Constant-peak band-pass filter (the usual two-pole design).
class BandPass {
public:
    BandPass(double centre, double q, double sampleRate) {
        const double w = 2.0 * kPi * centre / sampleRate;
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        b0_ = alpha / a0;
        a1_ = -2.0 * std::cos(w) / a0;
        a2_ = (1.0 - alpha) / a0;
    }
    double run(double x) {
        const double y = b0_ * (x - x2_) - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    double b0_, a1_, a2_;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

size_t frameAt(double seconds, double sampleRate) {
    return static_cast<size_t>(seconds * sampleRate);
}

// Raised-cosine fade in and out over fade samples at both ends of length.
double edgeGain(size_t i, size_t length, size_t fade) {
    const size_t distance = std::min(i, length - 1 - i);
    if (distance >= fade) return 1.0;
    return 0.5 - 0.5 * std::cos(kPi * static_cast<double>(distance) / static_cast<double>(fade));
}

// Short decaying noise clicks: left alone, right alone, then both, repeated.
void addClicks(StereoBuffer& out, double rate) {
    constexpr double kInterval = 0.25, kDecaySeconds = 0.002, kLevel = 0.4;
    Noise noise(0x1234567u);
    const size_t clickLength = frameAt(5 * kDecaySeconds, rate);
    int clickNumber = 0;
    for (double t = kClicksStart; t + kInterval <= kClicksEnd + 1e-9; t += kInterval, ++clickNumber) {
        const bool toLeft = clickNumber % 3 != 1, toRight = clickNumber % 3 != 0;
        const size_t start = frameAt(t, rate);
        for (size_t i = 0; i < clickLength; ++i) {
            const float sample =
                static_cast<float>(kLevel * std::exp(-static_cast<double>(i) / (kDecaySeconds * rate))) * noise.next();
            if (toLeft) out.left[start + i] += sample;
            if (toRight) out.right[start + i] += sample;
        }
    }
}

// Exponential sweeps across the whole band range: up on the left, down on the right.
void addSweeps(StereoBuffer& out, double rate) {
    constexpr double kLevel = 0.2, kFadeSeconds = 0.01;
    const double low = kLowestCentre, high = std::min(kLowestCentre * std::exp2(kOctavesSpanned), 0.45 * rate);
    const size_t start = frameAt(kSweepStart, rate), length = frameAt(kSweepEnd, rate) - start;
    const double duration = static_cast<double>(length) / rate;
    const double k = std::log(high / low);
    const size_t fade = frameAt(kFadeSeconds, rate);
    for (size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / rate;
        // Phase of a sweep from f0 whose frequency grows by e^k over the duration.
        auto phase = [&](double f0, double growth) {
            return 2.0 * kPi * f0 * duration / growth * (std::exp(growth * t / duration) - 1.0);
        };
        const double gain = kLevel * edgeGain(i, length, fade);
        out.left[start + i] += static_cast<float>(gain * std::sin(phase(low, k)));
        out.right[start + i] += static_cast<float>(gain * std::sin(phase(high, -k)));
    }
}

// One burst of noise around each band centre, low band first; the two
// channels get independent noise so panning and per-side delays are audible.
void addNoiseBursts(StereoBuffer& out, double rate) {
    constexpr double kBurstSeconds = 0.2, kFadeSeconds = 0.03, kRms = 0.08, kQ = 2.0;
    const double slot = (kBurstsEnd - kBurstsStart) / kBands;
    const size_t length = frameAt(kBurstSeconds, rate), fade = frameAt(kFadeSeconds, rate);
    Noise noise(0x9e3779b9u);
    std::vector<double> burst(length);
    for (int band = 0; band < kBands; ++band) {
        const double centre = std::min(kLowestCentre * std::exp2(kOctavesSpanned * band / (kBands - 1)), 0.45 * rate);
        const size_t start = frameAt(kBurstsStart + slot * band, rate);
        for (std::vector<float>* channel : {&out.left, &out.right}) {
            BandPass filter(centre, kQ, rate);
            // Let the filter settle before keeping its output.
            for (size_t i = 0; i < length; ++i) filter.run(noise.next());
            double sumSquares = 0.0;
            for (size_t i = 0; i < length; ++i) {
                burst[i] = filter.run(noise.next()) * edgeGain(i, length, fade);
                sumSquares += burst[i] * burst[i];
            }
            const double gain = sumSquares > 0.0 ? kRms / std::sqrt(sumSquares / static_cast<double>(length)) : 0.0;
            for (size_t i = 0; i < length; ++i) (*channel)[start + i] += static_cast<float>(gain * burst[i]);
        }
    }
}

}  // namespace

StereoBuffer makeDemoSignal(double sampleRate) {
    StereoBuffer out;
    const size_t frames = frameAt(kDemoSeconds, sampleRate);
    out.left.assign(frames, 0.0f);
    out.right.assign(frames, 0.0f);
    addClicks(out, sampleRate);
    addSweeps(out, sampleRate);
    addNoiseBursts(out, sampleRate);
    return out;
}

}  // namespace vardelline::host
