// Reading mono, stereo and multichannel files, choosing output formats, and writing through a
// temporary file so that an existing output is never left half-written.
#include "tools/host/audio_file.h"

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "tools/host/audio_format.h"
#include "tools/host/host_error.h"

namespace vardelline::host {
namespace {

class AudioFileTest : public hosttest::ScratchFolder {};

TEST_F(AudioFileTest, ReaderFeedsMonoToBothSidesAndNeedsAChoiceBeyondTwoChannels) {
    hosttest::writeAudio(path("mono.wav"), 1, 100);
    hosttest::writeAudio(path("six.wav"), 6, 100, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    hosttest::writeAudio(path("stereo.aiff"), 2, 100, SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 48000);
    EXPECT_THROW(AudioFileReader(path("six.wav")), HostError);
    EXPECT_THROW(AudioFileReader(path("six.wav"), ChannelChoice::parse("6,7")), HostError);
    for (const char* bad : {"0", "1,", ",2", "a,b", "1;2", "-1,2", ""})
        EXPECT_THROW(ChannelChoice::parse(bad), HostError) << bad;

    float left[64], right[64];
    AudioFileReader mono(path("mono.wav"));
    EXPECT_EQ(mono.read(left, right, 64), 64u);
    EXPECT_NEAR(left[10], 0.01f * 10 - 0.2f, 1e-4);
    EXPECT_EQ(std::vector<float>(left, left + 64), std::vector<float>(right, right + 64));

    // Channel c of the test file holds (c + 1) * 0.01 * n - 0.2.
    AudioFileReader six(path("six.wav"), ChannelChoice::parse("5,2"));
    EXPECT_EQ(six.read(left, right, 64), 64u);
    EXPECT_NEAR(left[10], 0.05f * 10 - 0.2f, 1e-4);
    EXPECT_NEAR(right[10], 0.02f * 10 - 0.2f, 1e-4);
    AudioFileReader one(path("six.wav"), ChannelChoice::parse("3"));
    EXPECT_EQ(one.read(left, right, 64), 64u);
    EXPECT_NEAR(left[10], 0.03f * 10 - 0.2f, 1e-4);
    EXPECT_EQ(left[10], right[10]);

    AudioFileReader reader(path("stereo.aiff"));
    EXPECT_EQ(reader.format(), SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
    EXPECT_EQ(reader.sampleRate(), 48000.0);

    EXPECT_EQ(reader.read(left, right, 64), 64u);
    EXPECT_NEAR(left[10], 0.01f * 10 - 0.2f, 1e-6);
    EXPECT_NEAR(right[10], 0.02f * 10 - 0.2f, 1e-6);
    EXPECT_EQ(reader.read(left, right, 64), 36u);
    EXPECT_EQ(reader.read(left, right, 64), 0u);
}

TEST_F(AudioFileTest, WriterReplacesTheTargetOnlyOnCommit) {
    const std::string target = path("out.wav");
    std::ofstream(target) << "previous contents";
    const float left[] = {0.5f, -0.5f}, right[] = {0.25f, -0.25f};
    {
        AudioFileWriter abandoned(target, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100);
        abandoned.write(left, right, 2);
        EXPECT_TRUE(std::filesystem::exists(abandoned.temporaryPath()));
    }
    EXPECT_EQ(hosttest::fileText(target), "previous contents");
    EXPECT_EQ(entries(), std::vector<std::string>{"out.wav"});

    {
        AudioFileWriter writer(target, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100);
        writer.write(left, right, 2);
        writer.commit();
    }
    const hosttest::AudioData written = hosttest::readAudio(target);
    EXPECT_EQ(written.samples, (std::vector<float>{0.5f, 0.25f, -0.5f, -0.25f}));
    EXPECT_EQ(entries(), std::vector<std::string>{"out.wav"});
}

TEST_F(AudioFileTest, WriterIntoMissingFolderFailsCleanly) {
    EXPECT_THROW(AudioFileWriter(path("no/such/folder/out.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100), HostError);
}

TEST(OutputFormat, ExtensionThenInputDecideUnlessNamed) {
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    EXPECT_EQ(chooseOutputFormat("out.wav", wav16, "", ""), wav16);
    EXPECT_EQ(chooseOutputFormat("out.FLAC", wav16, "", ""), SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(chooseOutputFormat("out.aif", wav16, "", "float"), SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
    EXPECT_EQ(chooseOutputFormat("out", wav16, "", ""), wav16);  // no extension: keep the input's
    EXPECT_THROW(chooseOutputFormat("out.raw", wav16, "", ""), HostError);  // unknown extension
    EXPECT_THROW(chooseOutputFormat("out.mp3", wav16, "", ""), HostError);
    EXPECT_EQ(chooseOutputFormat("out.mp3", wav16, "wav", ""), wav16);  // the user named the format
    EXPECT_EQ(chooseOutputFormat("out.wav", wav16, "caf", "pcm24"), SF_FORMAT_CAF | SF_FORMAT_PCM_24);
    // FLAC cannot hold float samples: a float input gets FLAC's usual encoding.
    EXPECT_EQ(chooseOutputFormat("out.flac", SF_FORMAT_WAV | SF_FORMAT_FLOAT, "", ""),
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
    EXPECT_EQ(extensionFor(SF_FORMAT_AIFF | SF_FORMAT_PCM_16), "aiff");
}

TEST(OutputFormat, RefusesUnknownNamesAndImpossiblePairs) {
    const int wav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    EXPECT_THROW(chooseOutputFormat("out.wav", wav16, "mp9", ""), HostError);
    EXPECT_THROW(chooseOutputFormat("out.wav", wav16, "", "pcm12"), HostError);
    EXPECT_THROW(chooseOutputFormat("out.flac", wav16, "", "float"), HostError);
}

}  // namespace
}  // namespace vardelline::host
