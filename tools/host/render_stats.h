// What a render measures: the output's peak and RMS level and how long the
// plug-in took compared with the audio's own duration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vardelline::host {

class RenderStats {
public:
    void addOutput(const float* left, const float* right, size_t frames);
    void addProcessingTime(double seconds) { processSeconds_ += seconds; }
    void setSampleRate(double rate) { sampleRate_ = rate; }

    int64_t frames() const { return frames_; }
    double peakDbfs() const;
    double rmsDbfs() const;  // over both channels
    double processSeconds() const { return processSeconds_; }
    double audioSeconds() const { return static_cast<double>(frames_) / sampleRate_; }
    // How many times faster than real time the plug-in ran.
    double realTimeFactor() const;

private:
    int64_t frames_ = 0;
    double peak_ = 0.0;
    double sumSquares_ = 0.0;
    double processSeconds_ = 0.0;
    double sampleRate_ = 44100.0;
};

// "peak  -6.0 dBFS  RMS -21.3 dBFS  0.052 s  115.4x real time"
std::string formatStats(const RenderStats& stats);

}  // namespace vardelline::host
