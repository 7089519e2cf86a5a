// Surface: a bitmap of 32-bit pixels with the few clipped operations the
// editor draws with (solid fill, rectangle copy, colour-keyed copy, coverage
// blending for text). It allocates only when created or resized.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/pixels.h"

namespace vardelline::gui {

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, Color fill = kWhite);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    Rect bounds() const { return Rect::sized(0, 0, width_, height_); }
    // Distance in pixels between the starts of two rows.
    int stride() const { return width_; }

    const uint32_t* pixels() const { return pixels_.data(); }
    uint32_t* pixels() { return pixels_.data(); }
    // The pixel at (x, y), or 0 outside the bitmap.
    Color pixel(int x, int y) const;
    void setPixel(int x, int y, Color c);

    void fillRect(const Rect& r, Color c);

    // Copies src's rectangle from with its top-left at (x, y); the parts
    // outside either bitmap or outside clip (in this surface's coordinates)
    // are skipped.
    void copyFrom(const Surface& src, const Rect& from, int x, int y);
    void copyFrom(const Surface& src, const Rect& from, int x, int y, const Rect& clip);

    // Like copyFrom, limited to clip (in this surface's coordinates), and
    // leaving out every source pixel of the key colour.
    void copyKeyed(const Surface& src, const Rect& from, int x, int y, const Rect& clip, Color key);

    // Mixes c into the pixel at (x, y) with the given coverage 0..255.
    void blend(int x, int y, Color c, int coverage);

private:
    template <typename Put>
    void copyPixels(const Surface& src, const Rect& from, int x, int y, const Rect& clip, Put put);

    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

}  // namespace vardelline::gui
