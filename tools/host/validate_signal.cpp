// Guarded buffers, test signals and output checks of the validator.
#include "tools/host/validate_signal.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/host/validate_report.h"

namespace vardelline::host::validate {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A quiet NaN with a payload the plug-in would never produce.
constexpr uint32_t kGuardBits = 0x7FC0A5A5u;

float guardValue() {
    float value;
    std::memcpy(&value, &kGuardBits, sizeof value);
    return value;
}

bool isGuard(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits == kGuardBits;
}

}  // namespace

GuardedStereo::GuardedStereo(int frames) : frames_(frames) {
    for (int c = 0; c < 2; ++c) {
        data_[c].assign(static_cast<size_t>(frames) + 2 * kGuard, guardValue());
        pointers_[c] = channel(c);
    }
    fill(0.0f);
}

void GuardedStereo::fill(float value) {
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < frames_; ++k) channel(c)[k] = value;
}

bool GuardedStereo::guardsIntact() const {
    for (int c = 0; c < 2; ++c) {
        for (int k = 0; k < kGuard; ++k) {
            if (!isGuard(data_[c][static_cast<size_t>(k)])) return false;
            if (!isGuard(data_[c][static_cast<size_t>(kGuard + frames_ + k)])) return false;
        }
    }
    return true;
}

constexpr char kGuardByte = static_cast<char>(0xA5);

GuardedBytes::GuardedBytes(size_t size) : size_(size), bytes_(size + 2 * kGuard, kGuardByte) {
    fillText();
}

void GuardedBytes::fillText() {
    fillUnterminated();
    if (size_ > 0) data()[size_ - 1] = '\0';
}

void GuardedBytes::fillUnterminated() {
    std::fill(bytes_.begin() + kGuard, bytes_.end() - kGuard, 'A');
}

bool GuardedBytes::guardsIntact() const {
    for (size_t k = 0; k < kGuard; ++k)
        if (bytes_[k] != kGuardByte || bytes_[kGuard + size_ + k] != kGuardByte) return false;
    return true;
}

bool GuardedBytes::terminated() const {
    return std::memchr(bytes_.data() + kGuard, '\0', size_) != nullptr;
}

void OutputCheck::add(const float* x, int n, float bound) {
    samples += n;
    for (int k = 0; k < n; ++k) {
        const float v = x[k];
        if (!std::isfinite(v)) {
            ++nonFinite;
            continue;
        }
        if (std::fpclassify(v) == FP_SUBNORMAL) ++subnormal;
        const float magnitude = std::fabs(v);
        if (magnitude > bound) ++overBound;
        if (magnitude > peak) peak = magnitude;
    }
}

void OutputCheck::add(const OutputCheck& other) {
    samples += other.samples;
    nonFinite += other.nonFinite;
    subnormal += other.subnormal;
    overBound += other.overBound;
    if (other.peak > peak) peak = other.peak;
}

std::string OutputCheck::describe() const {
    return format("%ld of %ld samples not finite, %ld subnormal, %ld over the bound (peak %g)", nonFinite, samples,
                  subnormal, overBound, static_cast<double>(peak));
}

void TestSignal::fill(float* left, float* right, int frames) {
    std::uniform_real_distribution<float> noise(-0.25f, 0.25f);
    for (int k = 0; k < frames; ++k, ++position_) {
        // A sine sweeping 30 Hz .. 15 kHz every two seconds, plus noise and a click every 0.1 s.
        const double sweep = std::fmod(static_cast<double>(position_) / rate_, 2.0) / 2.0;
        phase_ += kTwoPi * 30.0 * std::pow(500.0, sweep) / rate_;
        if (phase_ > kTwoPi) phase_ -= kTwoPi;
        const float click = position_ % static_cast<long>(rate_ / 10.0f + 1.0f) == 0 ? 0.25f : 0.0f;
        const float tone = static_cast<float>(0.5 * std::sin(phase_));
        left[k] = tone + noise(random_) + click;
        right[k] = -tone + noise(random_) + click;
    }
}

}  // namespace vardelline::host::validate
