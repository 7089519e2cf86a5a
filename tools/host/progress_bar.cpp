// Redraws the bar only when the percentage changes, so it costs nothing.
#include "tools/host/progress_bar.h"

#include <algorithm>

#include "tools/host/platform.h"

namespace vardelline::host {

namespace {
constexpr int kBarWidth = 40;
}

ProgressBar::ProgressBar(std::FILE* stream, bool enabled)
    : stream_(stream), active_(enabled && platform::isTerminal(stream)) {}

ProgressBar::~ProgressBar() {
    if (active_ && shownPercent_ >= 0) std::fprintf(stream_, "\r%*s\r", kBarWidth + 8, "");
}

void ProgressBar::update(int64_t done, int64_t total) {
    if (!active_ || total <= 0) return;
    const int percent = static_cast<int>(std::clamp<int64_t>(done * 100 / total, 0, 100));
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    const int filled = percent * kBarWidth / 100;
    char bar[kBarWidth + 1];
    std::fill(bar, bar + filled, '#');
    std::fill(bar + filled, bar + kBarWidth, '.');
    bar[kBarWidth] = '\0';
    std::fprintf(stream_, "\r[%s] %3d%%", bar, percent);
    std::fflush(stream_);
}

}  // namespace vardelline::host
