// Median-cut palette and nearest-colour mapping.
#include "editor/art/palette.h"

#include <algorithm>
#include <unordered_map>

namespace artgen {

namespace {

struct Entry {
    int c[3];
    uint64_t count;
};

int channel(uint32_t colour, int k) {
    return static_cast<int>((colour >> (16 - 8 * k)) & 0xFF);
}

// A box of colours; split along its widest channel at the weighted median.
struct Box {
    std::vector<Entry> entries;
    int widest() const {
        int best = 0, bestRange = -1;
        for (int k = 0; k < 3; ++k) {
            auto [lo, hi] = std::minmax_element(entries.begin(), entries.end(),
                                                [k](const Entry& a, const Entry& b) { return a.c[k] < b.c[k]; });
            int range = hi->c[k] - lo->c[k];
            if (range > bestRange) bestRange = range, best = k;
        }
        return bestRange > 0 ? best : -1;
    }
    uint64_t weight() const {
        uint64_t w = 0;
        for (const Entry& e : entries) w += e.count;
        return w;
    }
};

}  // namespace

void PaletteBuilder::add(const std::vector<uint32_t>& pixels) {
    for (uint32_t p : pixels) ++histogram_[p & 0xFFFFFF];
}

std::vector<uint32_t> PaletteBuilder::build() const {
    std::vector<Box> boxes(1);
    for (const auto& [colour, count] : histogram_) {
        boxes[0].entries.push_back({{channel(colour, 0), channel(colour, 1), channel(colour, 2)}, count});
    }
    while (boxes.size() < 256) {
        // Split the heaviest box that can still be split.
        int pick = -1;
        uint64_t pickWeight = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].entries.size() > 1 && boxes[i].weight() > pickWeight && boxes[i].widest() >= 0) {
                pick = static_cast<int>(i), pickWeight = boxes[i].weight();
            }
        }
        if (pick < 0) break;
        Box& box = boxes[static_cast<size_t>(pick)];
        int k = box.widest();
        std::sort(box.entries.begin(), box.entries.end(),
                  [k](const Entry& a, const Entry& b) { return a.c[k] < b.c[k]; });
        uint64_t half = pickWeight / 2, running = 0;
        size_t cut = 1;
        for (; cut < box.entries.size() - 1; ++cut) {
            running += box.entries[cut - 1].count;
            if (running >= half) break;
        }
        Box upper;
        upper.entries.assign(box.entries.begin() + static_cast<long>(cut), box.entries.end());
        box.entries.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<uint32_t> palette;
    for (const Box& box : boxes) {
        double sum[3] = {0, 0, 0};
        uint64_t weight = box.weight();
        for (const Entry& e : box.entries) {
            for (int k = 0; k < 3; ++k) sum[k] += double(e.c[k]) * double(e.count);
        }
        uint32_t colour = 0;
        for (int k = 0; k < 3; ++k) colour = (colour << 8) | static_cast<uint32_t>(sum[k] / double(weight) + 0.5);
        palette.push_back(colour);
    }
    return palette;
}

std::vector<uint8_t> mapToPalette(const std::vector<uint32_t>& pixels, const std::vector<uint32_t>& palette) {
    std::unordered_map<uint32_t, uint8_t> cache;
    std::vector<uint8_t> out;
    out.reserve(pixels.size());
    for (uint32_t p : pixels) {
        uint32_t colour = p & 0xFFFFFF;
        auto found = cache.find(colour);
        if (found == cache.end()) {
            int best = 0;
            long bestDistance = -1;
            for (size_t i = 0; i < palette.size(); ++i) {
                long d = 0;
                for (int k = 0; k < 3; ++k) {
                    long diff = channel(colour, k) - channel(palette[i], k);
                    d += diff * diff;
                }
                if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = static_cast<int>(i);
            }
            found = cache.emplace(colour, static_cast<uint8_t>(best)).first;
        }
        out.push_back(found->second);
    }
    return out;
}

}  // namespace artgen
