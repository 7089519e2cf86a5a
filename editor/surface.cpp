// Clipped pixel operations of Surface.
#include "editor/surface.h"

namespace vardelline::gui {

Surface::Surface(int width, int height, Color fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill) {}

Color Surface::pixel(int x, int y) const {
    if (!bounds().contains(x, y)) return 0;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

void Surface::setPixel(int x, int y, Color c) {
    if (bounds().contains(x, y)) pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void Surface::fillRect(const Rect& r, Color c) {
    Rect area = r.intersect(bounds());
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = pixels_.data() + static_cast<size_t>(y) * width_;
        std::fill(row + area.left, row + area.right, c);
    }
}

// Clips a copy to both bitmaps and to clip, then hands each pair of source
// and target rows to put.
template <typename Put>
void Surface::copyPixels(const Surface& src, const Rect& from, int x, int y, const Rect& clip, Put put) {
    int dx = x - from.left;
    int dy = y - from.top;
    Rect target = from.intersect(src.bounds()).offset(dx, dy).intersect(clip).intersect(bounds());
    for (int row = target.top; row < target.bottom; ++row) {
        const uint32_t* in = src.pixels() + static_cast<size_t>(row - dy) * src.stride() + (target.left - dx);
        put(in, pixels_.data() + static_cast<size_t>(row) * width_ + target.left, target.width());
    }
}

void Surface::copyFrom(const Surface& src, const Rect& from, int x, int y) {
    copyFrom(src, from, x, y, bounds());
}

void Surface::copyFrom(const Surface& src, const Rect& from, int x, int y, const Rect& clip) {
    copyPixels(src, from, x, y, clip, [](const uint32_t* in, uint32_t* out, int n) { std::copy(in, in + n, out); });
}

void Surface::copyKeyed(const Surface& src, const Rect& from, int x, int y, const Rect& clip, Color key) {
    copyPixels(src, from, x, y, clip, [key](const uint32_t* in, uint32_t* out, int n) {
        for (int i = 0; i < n; ++i) {
            if (!sameColor(in[i], key)) out[i] = in[i];
        }
    });
}

void Surface::blend(int x, int y, Color c, int coverage) {
    if (!bounds().contains(x, y) || coverage <= 0) return;
    uint32_t& p = pixels_[static_cast<size_t>(y) * width_ + x];
    if (coverage >= 255) {
        p = c;
        return;
    }
    auto mix = [coverage](int under, int over) { return (under * (255 - coverage) + over * coverage + 127) / 255; };
    p = rgb(mix(redOf(p), redOf(c)), mix(greenOf(p), greenOf(c)), mix(blueOf(p), blueOf(c)));
}

}  // namespace vardelline::gui
