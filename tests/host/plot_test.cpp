// The band picture: its filter responses are those the plug-in really
// applies, and the plot command draws them for the settings given.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

#include "host_test_support.h"
#include "tools/host/band_response.h"

namespace vardelline::host {
namespace {

class PlotTest : public hosttest::ScratchFolder {
protected:
    hosttest::RunResult run(const std::string& args) { return hosttest::runHost(folder, args); }
};

// The response of a rendered impulse at one frequency.
double renderedDb(const std::vector<float>& interleaved, int channel, double hz, double rate) {
    std::complex<double> sum;
    for (size_t n = 0; n < interleaved.size() / 2; ++n)
        sum += static_cast<double>(interleaved[2 * n + channel]) * std::polar(1.0, -2.0 * M_PI * hz * n / rate);
    return 20.0 * std::log10(std::abs(sum));
}

TEST_F(PlotTest, DesignedResponsesMatchWhatThePluginDoesToAnImpulse) {
    // With every delay at its shortest, every pan in the middle and only the
    // plain lines, the output is the plain sum of the eight bands.
    const std::string middle = " --param 'Band 8 Pan=0.5'";
    for (const auto& [rate, settings] : std::vector<std::pair<int, std::string>>{
             {44100, middle},
             {48000, middle + " --param 'Freq Q=25%' --param 'Start Freq=100Hz' --param 'Finish Freq=5KHz'"}}) {
        // The impulse comes after the first 32 samples, in which the engine
        // has not yet worked out its delay lengths.
        std::vector<float> impulse(2 * 8192, 0.0f);
        impulse[2 * 100] = impulse[2 * 100 + 1] = 1.0f;
        hosttest::writeSamples(path("impulse.wav"), 2, impulse, SF_FORMAT_WAV | SF_FORMAT_FLOAT, rate);
        ASSERT_EQ(run("render impulse.wav --float --tail 0 -o response.wav -p Default" + settings).exitCode, 0);
        const std::vector<float> out = hosttest::readAudio(path("response.wav")).samples;

        // The normalised values the settings stand for, from a saved program file.
        ASSERT_EQ(run("presets save -o s.fxp -p Default" + settings).err, "");
        const std::string values = hosttest::fileText(path("s.fxp")).substr(56, 12);
        auto valueAt = [&values](int i) {
            const uint32_t bits = static_cast<uint32_t>(static_cast<unsigned char>(values[4 * i])) << 24 |
                                  static_cast<uint32_t>(static_cast<unsigned char>(values[4 * i + 1])) << 16 |
                                  static_cast<uint32_t>(static_cast<unsigned char>(values[4 * i + 2])) << 8 |
                                  static_cast<unsigned char>(values[4 * i + 3]);
            float value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        };
        const auto bands = designBands(valueAt(0), valueAt(1), valueAt(2), rate);
        for (double hz : {30.0, 100.0, 250.0, 700.0, 1000.0, 3000.0, 9000.0, 15000.0}) {
            std::complex<double> sum;
            for (const BandFilter& band : bands) sum += bandResponse(band, hz, rate);
            const double designed = 20.0 * std::log10(std::abs(sum));
            EXPECT_NEAR(renderedDb(out, 0, hz, rate), designed, 0.05) << rate << settings << " at " << hz;
            EXPECT_NEAR(renderedDb(out, 1, hz, rate), designed, 0.05) << rate << settings << " at " << hz;
        }
        // Each band passes its centre at unity gain.
        for (const BandFilter& band : bands) EXPECT_NEAR(std::abs(bandResponse(band, band.centreHz, rate)), 1.0, 0.01);
    }
}

TEST_F(PlotTest, DrawsTheBandsOfTheSettingsGiven) {
    const hosttest::RunResult result = run("plot -o bands.png --preset '" PRESETS_DIR "/spectral-smear.fxp' --rate 48000");
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "bands of Spectral Smear -> bands.png\n");
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load(path("bands.png").c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(width, 1000);
    EXPECT_EQ(height, 640);
    // Every band's colour is drawn (its curve, its number and its legend row).
    const unsigned char colours[8][3] = {{200, 40, 40}, {220, 120, 0}, {170, 150, 0}, {40, 150, 40},
                                         {0, 150, 150}, {40, 80, 210}, {120, 50, 200}, {200, 40, 150}};
    for (const auto& colour : colours) {
        long count = 0;
        for (int i = 0; i < width * height; ++i)
            count += pixels[3 * i] == colour[0] && pixels[3 * i + 1] == colour[1] && pixels[3 * i + 2] == colour[2];
        EXPECT_GT(count, 500) << int(colour[0]) << "," << int(colour[1]) << "," << int(colour[2]);
    }
    stbi_image_free(pixels);

    // Another setting draws another picture; bad requests are refused.
    ASSERT_EQ(run("plot -o narrow.png -p Narrow").exitCode, 0);
    EXPECT_NE(hosttest::fileText(path("narrow.png")), hosttest::fileText(path("bands.png")));
    EXPECT_EQ(run("plot -o bands.gif").err, "error: bands.gif: unknown picture extension '.gif' (known: .png, .jpg, .jpeg)\n");
    EXPECT_EQ(run("plot -o x.png --rate 100").err, "error: --rate must lie within 8000..384000 Hz\n");
}

}  // namespace
}  // namespace vardelline::host
