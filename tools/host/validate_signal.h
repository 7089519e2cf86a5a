// Audio for the validator: stereo blocks with guard samples around every
// channel (to catch writes outside the host's buffers), test signals, and
// the checks every output sample must pass.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vardelline::host::validate {

// Two channels of frames samples, each between guard samples the plug-in
// must never write. Input and output may be the same block (in place).
class GuardedStereo {
public:
    explicit GuardedStereo(int frames);
    int frames() const { return frames_; }
    float* channel(int c) { return data_[c].data() + kGuard; }
    float** pointers() { return pointers_; }
    // True while every guard sample still holds the guard pattern.
    bool guardsIntact() const;
    void fill(float value);

private:
    static constexpr int kGuard = 16;
    int frames_;
    std::vector<float> data_[2];
    float* pointers_[2];
};

// size bytes for the plug-in to read or write, between guard bytes it must
// never touch.
class GuardedBytes {
public:
    explicit GuardedBytes(size_t size);
    char* data() { return bytes_.data() + kGuard; }
    size_t size() const { return size_; }
    // Fills the buffer with a text of size - 1 letters and its terminator.
    void fillText();
    // Fills the buffer with letters and no terminator.
    void fillUnterminated();
    bool guardsIntact() const;
    // True when the buffer holds a terminator (a text the plug-in wrote must).
    bool terminated() const;

private:
    static constexpr size_t kGuard = 64;
    size_t size_;
    std::vector<char> bytes_;
};

// What a stretch of output contained; sound() is the verdict.
struct OutputCheck {
    long samples = 0;
    long nonFinite = 0;
    long subnormal = 0;
    long overBound = 0;
    float peak = 0.0f;
    void add(const float* samples, int n, float bound);
    void add(const OutputCheck& other);
    bool sound() const { return nonFinite == 0 && subnormal == 0 && overBound == 0; }
    std::string describe() const;
};

// Fills both channels of frames samples of test signal starting at sample
// offset: a mix of noise, a swept sine and sparse clicks, peak at most 1.
class TestSignal {
public:
    TestSignal(uint64_t seed, float sampleRate) : random_(seed), rate_(sampleRate) {}
    void fill(float* left, float* right, int frames);

private:
    std::mt19937 random_;
    float rate_;
    double phase_ = 0.0;
    long position_ = 0;
};

// The largest output the effect may give for input of peak 1: eight bands,
// each with chorus feedback of at most 0.99 (a gain of at most 100) and both
// paths at full weight, with a wide margin for filter overshoot.
constexpr float kOutputBoundPerUnitInput = 1.0e4f;

}  // namespace vardelline::host::validate
