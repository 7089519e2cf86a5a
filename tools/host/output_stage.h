// What happens to the plug-in's output on its way into the file: a fixed
// gain (from --gain or --normalize), the level figures of what is written,
// and a count of the samples that the file's encoding cannot hold.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/host/audio_file.h"
#include "tools/host/render_stats.h"

namespace vardelline::host {

// True for encodings that clip samples beyond full scale (all but float and double).
bool encodingClips(int format);

class OutputStage {
public:
    OutputStage(AudioFileWriter& writer, double gain, bool countOvers);

    void write(const float* left, const float* right, size_t frames);

    RenderStats& stats() { return stats_; }
    // Samples (of both channels) beyond full scale after the gain.
    int64_t overs() const { return overs_; }

private:
    AudioFileWriter& writer_;
    float gain_;
    bool countOvers_;
    RenderStats stats_;
    int64_t overs_ = 0;
    std::vector<float> left_, right_;
};

// The plug-in's raw output kept in a temporary file beside the output, for a
// second pass (--normalize). On POSIX systems its name is removed at once, so
// the system reclaims it however the process ends; elsewhere the destructor
// removes it.
class ScratchAudio {
public:
    explicit ScratchAudio(const std::string& besidePath);
    ~ScratchAudio();
    ScratchAudio(const ScratchAudio&) = delete;
    ScratchAudio& operator=(const ScratchAudio&) = delete;

    void write(const float* left, const float* right, size_t frames);
    double peak() const { return peak_; }
    // Feeds everything written back, in blocks, to stage.
    void replay(OutputStage& stage);

private:
    std::string path_;
    std::FILE* file_;
    double peak_ = 0.0;
    std::vector<float> interleaved_;
};

}  // namespace vardelline::host
