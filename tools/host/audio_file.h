// Audio files through libsndfile: a reader that delivers two channels of a
// file (a mono file's one channel twice, or the two chosen of many), and a
// stereo writer that fills a temporary file beside the target and renames it
// into place only when the whole file is written.
#pragma once

#include <string>
#include <vector>

#include "tools/host/audio_source.h"
#include "tools/host/channel_choice.h"

typedef struct sf_private_tag SNDFILE;

namespace vardelline::host {

class AudioFileReader : public AudioSource {
public:
    // Throws HostError naming the path when the file is missing or
    // unreadable, or when its channels do not fit the choice.
    explicit AudioFileReader(const std::string& path, const ChannelChoice& choice = {});
    ~AudioFileReader() override;
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    double sampleRate() const override { return sampleRate_; }
    int64_t totalFrames() const override { return frames_; }
    size_t read(float* left, float* right, size_t frames) override;

    // The file's libsndfile format (major type | encoding).
    int format() const { return format_; }
    int channels() const { return channels_; }

private:
    std::string path_;
    SNDFILE* file_ = nullptr;
    double sampleRate_ = 0.0;
    int64_t frames_ = 0;
    int format_ = 0;
    int channels_ = 0;
    int leftChannel_ = 0;  // 0-based channels of the file fed to the two inputs
    int rightChannel_ = 1;
    std::vector<float> interleaved_;
};

class AudioFileWriter {
public:
    // Opens a temporary file beside path; throws HostError when it cannot.
    AudioFileWriter(const std::string& path, int format, double sampleRate);
    // Without commit the temporary file is removed and path stays as it was.
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    void write(const float* left, const float* right, size_t frames);
    // Closes the file and renames it over path.
    void commit();

    const std::string& path() const { return path_; }
    const std::string& temporaryPath() const { return temporaryPath_; }

private:
    void close();

    std::string path_;
    std::string temporaryPath_;
    SNDFILE* file_ = nullptr;
    bool committed_ = false;
    std::vector<float> interleaved_;
};

}  // namespace vardelline::host
