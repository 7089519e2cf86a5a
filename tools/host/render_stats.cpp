// Level and timing figures of a render.
#include "tools/host/render_stats.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace vardelline::host {

namespace {

double toDecibels(double amplitude) {
    if (std::isnan(amplitude)) return amplitude;
    return amplitude > 0.0 ? 20.0 * std::log10(amplitude) : -std::numeric_limits<double>::infinity();
}

}  // namespace

void RenderStats::addOutput(const float* left, const float* right, size_t frames) {
    for (const float* channel : {left, right}) {
        for (size_t i = 0; i < frames; ++i) {
            const double x = channel[i];
            // A NaN from the plug-in must show, not vanish in a comparison.
            peak_ = std::isnan(x) || std::isnan(peak_) ? std::numeric_limits<double>::quiet_NaN()
                                                       : std::fmax(peak_, std::fabs(x));
            sumSquares_ += x * x;
        }
    }
    frames_ += static_cast<int64_t>(frames);
}

double RenderStats::peakDbfs() const {
    return toDecibels(peak_);
}

double RenderStats::rmsDbfs() const {
    if (frames_ == 0) return toDecibels(0.0);
    return toDecibels(std::sqrt(sumSquares_ / (2.0 * static_cast<double>(frames_))));
}

double RenderStats::realTimeFactor() const {
    return processSeconds_ > 0.0 ? audioSeconds() / processSeconds_ : std::numeric_limits<double>::infinity();
}

std::string formatStats(const RenderStats& stats) {
    char line[160];
    std::snprintf(line, sizeof line, "peak %6.1f dBFS  RMS %6.1f dBFS  %7.3f s  %7.1fx real time", stats.peakDbfs(),
                  stats.rmsDbfs(), stats.processSeconds(), stats.realTimeFactor());
    return line;
}

}  // namespace vardelline::host
