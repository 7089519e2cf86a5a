// The input the benchmarks feed the effect: a fixed noise in both channels.
#pragma once

#include <random>
#include <vector>

namespace vardelline {

struct Signal {
    explicit Signal(int frames) : left(frames), right(frames) {
        std::mt19937 random(7);
        std::uniform_real_distribution<float> level(-0.5f, 0.5f);
        for (int k = 0; k < frames; ++k) {
            left[k] = level(random);
            right[k] = level(random);
        }
    }
    std::vector<float> left, right;
};

}  // namespace vardelline
