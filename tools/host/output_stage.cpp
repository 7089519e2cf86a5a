// Gain, over counting and the scratch file of the two-pass normalisation.
#include "tools/host/output_stage.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <random>

#include "tools/host/host_error.h"
#include "tools/host/interruption.h"

namespace vardelline::host {

namespace {
constexpr size_t kReplayFrames = 8192;
}

bool encodingClips(int format) {
    const int subtype = format & SF_FORMAT_SUBMASK;
    return subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE;
}

OutputStage::OutputStage(AudioFileWriter& writer, double gain, bool countOvers)
    : writer_(writer), gain_(static_cast<float>(gain)), countOvers_(countOvers) {}

void OutputStage::write(const float* left, const float* right, size_t frames) {
    if (gain_ != 1.0f) {
        left_.resize(frames);
        right_.resize(frames);
        std::transform(left, left + frames, left_.begin(), [this](float x) { return x * gain_; });
        std::transform(right, right + frames, right_.begin(), [this](float x) { return x * gain_; });
        left = left_.data();
        right = right_.data();
    }
    if (countOvers_) {
        for (size_t i = 0; i < frames; ++i) overs_ += (std::fabs(left[i]) > 1.0f) + (std::fabs(right[i]) > 1.0f);
    }
    stats_.addOutput(left, right, frames);
    writer_.write(left, right, frames);
}

ScratchAudio::ScratchAudio(const std::string& besidePath)
    : path_(besidePath + ".scratch-" + std::to_string(std::random_device{}())), file_(std::fopen(path_.c_str(), "w+b")) {
    if (file_ == nullptr) throw HostError(path_ + ": cannot create a temporary file: " + std::strerror(errno));
#ifndef _WIN32
    std::remove(path_.c_str());
#endif
}

ScratchAudio::~ScratchAudio() {
    std::fclose(file_);
#ifdef _WIN32
    std::remove(path_.c_str());
#endif
}

void ScratchAudio::write(const float* left, const float* right, size_t frames) {
    interleaved_.resize(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        interleaved_[2 * i] = left[i];
        interleaved_[2 * i + 1] = right[i];
        // Comparisons rather than fmax (NaN is passed over all the same):
        // GCC 12 for ARM64 fails on the vectorised fmax reduction.
        const float l = std::fabs(left[i]), r = std::fabs(right[i]);
        if (l > peak_) peak_ = l;
        if (r > peak_) peak_ = r;
    }
    if (std::fwrite(interleaved_.data(), sizeof(float), interleaved_.size(), file_) != interleaved_.size())
        throw HostError("cannot write the temporary file (is the disk full?)");
}

void ScratchAudio::replay(OutputStage& stage) {
    std::rewind(file_);
    interleaved_.resize(kReplayFrames * 2);
    std::vector<float> left(kReplayFrames), right(kReplayFrames);
    for (;;) {
        throwIfInterrupted();
        const size_t frames = std::fread(interleaved_.data(), 2 * sizeof(float), kReplayFrames, file_);
        if (frames == 0) break;
        for (size_t i = 0; i < frames; ++i) {
            left[i] = interleaved_[2 * i];
            right[i] = interleaved_[2 * i + 1];
        }
        stage.write(left.data(), right.data(), frames);
    }
    if (std::ferror(file_)) throw HostError("cannot read the temporary file back");
}

}  // namespace vardelline::host
