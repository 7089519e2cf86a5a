// The demo signal and the level figures printed after a render.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tools/host/demo_signal.h"
#include "tools/host/render_stats.h"

namespace vardelline::host {
namespace {

float peakBetween(const std::vector<float>& channel, double fromSeconds, double toSeconds) {
    float peak = 0.0f;
    for (size_t i = static_cast<size_t>(fromSeconds * kDemoSampleRate);
         i < static_cast<size_t>(toSeconds * kDemoSampleRate); ++i)
        peak = std::max(peak, std::fabs(channel[i]));
    return peak;
}

TEST(DemoSignal, IsRepeatableStereoWithEverySectionAndASilentEnd) {
    const StereoBuffer demo = makeDemoSignal();
    EXPECT_EQ(demo.frames(), static_cast<size_t>(kDemoSeconds * kDemoSampleRate));
    EXPECT_EQ(demo.right.size(), demo.frames());
    const StereoBuffer again = makeDemoSignal();
    EXPECT_EQ(demo.left, again.left);
    EXPECT_EQ(demo.right, again.right);
    EXPECT_NE(demo.left, demo.right);

    for (const auto* channel : {&demo.left, &demo.right}) {
        EXPECT_LT(peakBetween(*channel, 0.0, kDemoSeconds), 0.5f);  // headroom for the effect's band sums
        EXPECT_GT(peakBetween(*channel, 0.0, 1.5), 0.1f);           // clicks
        EXPECT_GT(peakBetween(*channel, 1.5, 3.5), 0.1f);           // sweeps
        for (int band = 0; band < 8; ++band)                        // one noise burst per band region
            EXPECT_GT(peakBetween(*channel, 3.5 + 0.25 * band, 3.75 + 0.25 * band), 0.05f) << band;
        EXPECT_EQ(peakBetween(*channel, 5.5, kDemoSeconds), 0.0f);
    }
}

TEST(RenderStats, LevelsOfAFullScaleSineAndOfSilence) {
    std::vector<float> sine(4410);
    for (size_t i = 0; i < sine.size(); ++i) sine[i] = static_cast<float>(std::sin(2.0 * M_PI * 441.0 * i / 44100.0));
    RenderStats stats;
    stats.setSampleRate(44100.0);
    stats.addOutput(sine.data(), sine.data(), sine.size());
    stats.addProcessingTime(0.05);
    EXPECT_NEAR(stats.peakDbfs(), 0.0, 0.01);
    EXPECT_NEAR(stats.rmsDbfs(), -3.01, 0.01);
    EXPECT_NEAR(stats.realTimeFactor(), 2.0, 1e-9);

    RenderStats silent;
    const float zeros[4] = {};
    silent.addOutput(zeros, zeros, 4);
    EXPECT_EQ(silent.peakDbfs(), -std::numeric_limits<double>::infinity());
    EXPECT_NE(formatStats(silent).find("-inf"), std::string::npos);
}

TEST(RenderStats, ANanFromThePluginShowsInThePeak) {
    const float left[] = {0.5f, std::numeric_limits<float>::quiet_NaN(), 0.25f}, right[] = {0.0f, 0.0f, 0.0f};
    RenderStats stats;
    stats.addOutput(left, right, 3);
    EXPECT_TRUE(std::isnan(stats.peakDbfs()));
}

}  // namespace
}  // namespace vardelline::host
