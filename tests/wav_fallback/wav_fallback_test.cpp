// The built-in WAV reader and writer: every encoding survives a round trip
// as libsndfile would scale it, overs saturate, files of other writers
// (extensible headers, extra chunks, unfinished sizes) read, and broken or
// foreign files are refused without reading past what is there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/host/wav_fallback/sndfile.h"

namespace {

class WavFallback : public ::testing::Test {
protected:
    std::string path(const char* name) {
        const std::string p = (std::filesystem::temp_directory_path() /
                               (std::string("vardelline-wav-") + std::to_string(::getpid()) + "-" + name))
                                  .string();
        made.push_back(p);
        return p;
    }
    void TearDown() override {
        for (const std::string& p : made) std::remove(p.c_str());
    }

    // Writes frames (interleaved stereo) in the given encoding and reads them back.
    std::vector<float> roundTrip(int subtype, const std::vector<float>& frames, SF_INFO* readInfo = nullptr) {
        const std::string file = path("round.wav");
        SF_INFO info{};
        info.samplerate = 48000;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | subtype;
        SNDFILE* out = sf_open(file.c_str(), SFM_WRITE, &info);
        EXPECT_NE(out, nullptr);
        if (out == nullptr) return {};
        sf_command(out, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        EXPECT_EQ(sf_writef_float(out, frames.data(), static_cast<sf_count_t>(frames.size() / 2)),
                  static_cast<sf_count_t>(frames.size() / 2));
        EXPECT_EQ(sf_close(out), SF_ERR_NO_ERROR);

        SF_INFO in{};
        SNDFILE* reader = sf_open(file.c_str(), SFM_READ, &in);
        EXPECT_NE(reader, nullptr);
        if (reader == nullptr) return {};
        EXPECT_EQ(in.format, SF_FORMAT_WAV | subtype);
        EXPECT_EQ(in.samplerate, 48000);
        EXPECT_EQ(in.channels, 2);
        std::vector<float> back(static_cast<size_t>(in.frames) * 2 + 2, 99.0f);
        EXPECT_EQ(sf_readf_float(reader, back.data(), in.frames + 1), in.frames);
        back.resize(static_cast<size_t>(in.frames) * 2);
        sf_close(reader);
        if (readInfo != nullptr) *readInfo = in;
        return back;
    }

    void writeBytes(const std::string& file, const std::vector<unsigned char>& bytes) {
        std::FILE* f = std::fopen(file.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    std::vector<std::string> made;
};

void append(std::vector<unsigned char>& bytes, const char* tag) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(tag[i]));
}
void append(std::vector<unsigned char>& bytes, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A stereo 16-bit file: fmt (plain or extensible), an extra chunk, data.
std::vector<unsigned char> stereo16(bool extensible, uint32_t dataSize, const std::vector<int16_t>& samples) {
    std::vector<unsigned char> b;
    append(b, "RIFF");
    append(b, 0, 4);
    append(b, "WAVE");
    append(b, "LIST");
    append(b, 3, 4);
    append(b, "abc");  // odd size, padded with the terminating zero
    append(b, "fmt ");
    append(b, extensible ? 40 : 16, 4);
    append(b, extensible ? 0xFFFE : 1, 2);
    append(b, 2, 2);
    append(b, 44100, 4);
    append(b, 44100 * 4, 4);
    append(b, 4, 2);
    append(b, 16, 2);
    if (extensible) {
        append(b, 22, 2);
        append(b, 16, 2);
        append(b, 3, 4);
        append(b, 1, 2);  // the sub-format GUID starts with the format tag
        for (int i = 0; i < 14; ++i) b.push_back(0);
    }
    append(b, "data");
    append(b, dataSize, 4);
    for (int16_t s : samples) append(b, static_cast<uint16_t>(s), 2);
    return b;
}

TEST_F(WavFallback, EveryEncodingRoundTrips) {
    const std::vector<float> frames = {0.0f, -1.0f, 0.5f, -0.25f, 0.999f, 1.0f / 3.0f, -0.75f, 0.125f};
    EXPECT_EQ(roundTrip(SF_FORMAT_FLOAT, frames), frames);
    EXPECT_EQ(roundTrip(SF_FORMAT_DOUBLE, frames), frames);
    for (int subtype : {SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_PCM_32}) {
        const std::vector<float> back = roundTrip(subtype, frames);
        ASSERT_EQ(back.size(), frames.size());
        const float step = subtype == SF_FORMAT_PCM_16   ? 1.0f / 32768
                           : subtype == SF_FORMAT_PCM_24 ? 1.0f / 8388608
                                                         : 1e-7f;
        for (size_t i = 0; i < frames.size(); ++i) EXPECT_NEAR(back[i], frames[i], step) << subtype << " " << i;
        EXPECT_EQ(back[1], -1.0f);  // full scale down is exact
    }
}

TEST_F(WavFallback, OversSaturateAndNanIsSilence) {
    const std::vector<float> frames = {1.5f, -3.0f, std::nanf(""), 1.0f};
    const std::vector<float> back = roundTrip(SF_FORMAT_PCM_16, frames);
    ASSERT_EQ(back.size(), 4u);
    EXPECT_EQ(back[0], 32767.0f / 32768.0f);
    EXPECT_EQ(back[1], -1.0f);
    EXPECT_EQ(back[2], 0.0f);
    EXPECT_EQ(back[3], 32767.0f / 32768.0f);
}

TEST_F(WavFallback, ReadsOtherWritersFiles) {
    const std::vector<int16_t> samples = {16384, -16384, 32767, -32768};
    for (bool extensible : {false, true}) {
        // An unfinished writer's size of 0 and a size past the end both mean "what is there".
        for (uint32_t size : {8u, 0u, 4000u}) {
            const std::string file = path("other.wav");
            writeBytes(file, stereo16(extensible, size, samples));
            SF_INFO info{};
            SNDFILE* reader = sf_open(file.c_str(), SFM_READ, &info);
            ASSERT_NE(reader, nullptr) << extensible << " " << size;
            EXPECT_EQ(info.frames, 2);
            EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
            float frames[4];
            EXPECT_EQ(sf_readf_float(reader, frames, 10), 2);
            EXPECT_EQ(frames[0], 0.5f);
            EXPECT_EQ(frames[3], -1.0f);
            sf_close(reader);
        }
    }
}

TEST_F(WavFallback, RefusesWhatItCannotRead) {
    const std::string file = path("bad.wav");
    SF_INFO info{};
    EXPECT_EQ(sf_open(path("missing.wav").c_str(), SFM_READ, &info), nullptr);
    EXPECT_EQ(sf_error(nullptr), SF_ERR_SYSTEM);

    writeBytes(file, {'f', 'L', 'a', 'C', 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(sf_open(file.c_str(), SFM_READ, &info), nullptr);
    EXPECT_EQ(sf_error(nullptr), SF_ERR_UNRECOGNISED_FORMAT);

    std::vector<unsigned char> truncated = stereo16(false, 8, {1, 2, 3, 4});
    truncated.resize(30);  // inside the fmt chunk
    writeBytes(file, truncated);
    EXPECT_EQ(sf_open(file.c_str(), SFM_READ, &info), nullptr);

    std::vector<unsigned char> eightBit = stereo16(false, 8, {1, 2, 3, 4});
    eightBit[20 + 12 + 14] = 8;  // bits per sample of the fmt chunk
    writeBytes(file, eightBit);
    EXPECT_EQ(sf_open(file.c_str(), SFM_READ, &info), nullptr);
    EXPECT_EQ(sf_error(nullptr), SF_ERR_UNSUPPORTED_ENCODING);
    EXPECT_NE(std::string(sf_strerror(nullptr)), "");

    // Other containers cannot be written.
    SF_INFO flac{};
    flac.samplerate = 44100;
    flac.channels = 2;
    flac.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    EXPECT_EQ(sf_format_check(&flac), SF_FALSE);
    EXPECT_EQ(sf_open(path("x.flac").c_str(), SFM_WRITE, &flac), nullptr);
    SF_FORMAT_INFO about{};
    about.format = SF_FORMAT_WAV;
    EXPECT_EQ(sf_command(nullptr, SFC_GET_FORMAT_INFO, &about, sizeof about), 0);
    EXPECT_STREQ(about.extension, "wav");
}

TEST_F(WavFallback, NullArgumentsAreHarmless) {
    EXPECT_EQ(sf_open(nullptr, SFM_READ, nullptr), nullptr);
    EXPECT_EQ(sf_close(nullptr), SF_ERR_NO_ERROR);
    float frame[2];
    EXPECT_EQ(sf_readf_float(nullptr, frame, 1), 0);
    EXPECT_EQ(sf_writef_float(nullptr, frame, 1), 0);
    EXPECT_EQ(sf_format_check(nullptr), SF_FALSE);
}

}  // namespace
