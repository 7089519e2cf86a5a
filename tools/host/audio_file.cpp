// libsndfile reading of any file and writing of stereo files, the
// temporary-file dance included.
#include "tools/host/audio_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {

constexpr int kStereo = 2;

std::string libraryReason(SNDFILE* file) {
    std::string reason = sf_strerror(file);
    while (!reason.empty() && (reason.back() == '.' || reason.back() == ' ' || reason.back() == '\n'))
        reason.pop_back();
    return reason;
}

// A name beside path that no other render picks at the same time.
std::string temporaryPathFor(const std::string& path) {
    std::random_device random;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".tmp-%08x", static_cast<unsigned>(random()));
    return path + suffix;
}

}  // namespace

size_t BufferSource::read(float* left, float* right, size_t frames) {
    const size_t count = std::min(frames, buffer_.frames() - position_);
    std::copy_n(buffer_.left.begin() + position_, count, left);
    std::copy_n(buffer_.right.begin() + position_, count, right);
    position_ += count;
    return count;
}

AudioFileReader::AudioFileReader(const std::string& path, const ChannelChoice& choice) : path_(path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) throw HostError(path + ": no such file");
    if (!std::filesystem::is_regular_file(path, error)) throw HostError(path + ": not a regular file");

    SF_INFO info{};
    file_ = sf_open(path.c_str(), SFM_READ, &info);
    if (file_ == nullptr) throw HostError(path + ": cannot read audio: " + libraryReason(nullptr));
    try {
        const auto [left, right] = choice.resolve(path, info.channels);
        leftChannel_ = left;
        rightChannel_ = right;
    } catch (...) {
        sf_close(file_);
        throw;
    }
    if (info.frames <= 0 || info.samplerate <= 0) {
        sf_close(file_);
        throw HostError(path + ": file holds no audio");
    }
    sampleRate_ = info.samplerate;
    frames_ = info.frames;
    format_ = info.format;
    channels_ = info.channels;
}

AudioFileReader::~AudioFileReader() {
    sf_close(file_);
}

size_t AudioFileReader::read(float* left, float* right, size_t frames) {
    const auto channels = static_cast<size_t>(channels_);
    interleaved_.resize(frames * channels);
    const sf_count_t count = sf_readf_float(file_, interleaved_.data(), static_cast<sf_count_t>(frames));
    if (sf_error(file_) != SF_ERR_NO_ERROR) throw HostError(path_ + ": cannot read audio: " + libraryReason(file_));
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        left[i] = interleaved_[i * channels + static_cast<size_t>(leftChannel_)];
        right[i] = interleaved_[i * channels + static_cast<size_t>(rightChannel_)];
    }
    return static_cast<size_t>(count);
}

AudioFileWriter::AudioFileWriter(const std::string& path, int format, double sampleRate)
    : path_(path), temporaryPath_(temporaryPathFor(path)) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(sampleRate);
    info.channels = kStereo;
    info.format = format;
    if (!sf_format_check(&info)) throw HostError(path + ": the chosen format cannot hold this audio");
    file_ = sf_open(temporaryPath_.c_str(), SFM_WRITE, &info);
    if (file_ == nullptr) throw HostError(path + ": cannot write: " + libraryReason(nullptr));
    // Integer encodings clip overs instead of wrapping them round.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
}

AudioFileWriter::~AudioFileWriter() {
    if (committed_) return;
    close();
    std::error_code ignored;
    std::filesystem::remove(temporaryPath_, ignored);
}

void AudioFileWriter::close() {
    if (file_ != nullptr) sf_close(file_);
    file_ = nullptr;
}

void AudioFileWriter::write(const float* left, const float* right, size_t frames) {
    interleaved_.resize(frames * kStereo);
    for (size_t i = 0; i < frames; ++i) {
        interleaved_[i * kStereo] = left[i];
        interleaved_[i * kStereo + 1] = right[i];
    }
    const sf_count_t written = sf_writef_float(file_, interleaved_.data(), static_cast<sf_count_t>(frames));
    if (written != static_cast<sf_count_t>(frames)) throw HostError(path_ + ": cannot write: " + libraryReason(file_));
}

void AudioFileWriter::commit() {
    const int status = sf_close(file_);
    file_ = nullptr;
    if (status != SF_ERR_NO_ERROR) throw HostError(path_ + ": cannot write: " + sf_error_number(status));
    std::error_code error;
    std::filesystem::rename(temporaryPath_, path_, error);
    if (error) throw HostError(path_ + ": cannot replace file: " + error.message());
    committed_ = true;
}

}  // namespace vardelline::host
