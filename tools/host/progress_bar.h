// A one-line progress bar for long renders, drawn on a terminal only.
#pragma once

#include <cstdint>
#include <cstdio>

namespace vardelline::host {

class ProgressBar {
public:
    // Draws on stream only when enabled and stream is a terminal.
    ProgressBar(std::FILE* stream, bool enabled);
    ~ProgressBar();  // clears the line

    void update(int64_t done, int64_t total);

private:
    std::FILE* stream_;
    bool active_;
    int shownPercent_ = -1;
};

}  // namespace vardelline::host
