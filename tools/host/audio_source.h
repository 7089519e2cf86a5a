// Where rendered audio comes from: a stereo stream read in blocks, either
// from an audio file or from samples held in memory (the demo signal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vardelline::host {

class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual double sampleRate() const = 0;
    virtual int64_t totalFrames() const = 0;
    // Fills up to frames samples per channel; returns how many, 0 at the end.
    virtual size_t read(float* left, float* right, size_t frames) = 0;
};

// Planar stereo samples.
struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;
    size_t frames() const { return left.size(); }
};

class BufferSource : public AudioSource {
public:
    BufferSource(StereoBuffer buffer, double sampleRate) : buffer_(std::move(buffer)), sampleRate_(sampleRate) {}
    double sampleRate() const override { return sampleRate_; }
    int64_t totalFrames() const override { return static_cast<int64_t>(buffer_.frames()); }
    size_t read(float* left, float* right, size_t frames) override;

private:
    StereoBuffer buffer_;
    double sampleRate_;
    size_t position_ = 0;
};

}  // namespace vardelline::host
