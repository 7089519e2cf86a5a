// Pixel colours and rectangles shared by the drawing layer: 32-bit pixels
// 0xAARRGGBB (always opaque), rectangles as half-open pixel ranges.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vardelline::gui {

using Color = uint32_t;

constexpr Color rgb(int r, int g, int b) {
    return 0xFF000000u | (static_cast<uint32_t>(r & 0xFF) << 16) | (static_cast<uint32_t>(g & 0xFF) << 8) |
           static_cast<uint32_t>(b & 0xFF);
}
constexpr int redOf(Color c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
constexpr int greenOf(Color c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int blueOf(Color c) {
    return static_cast<int>(c & 0xFF);
}
// Colour keys and comparisons ignore the alpha byte.
constexpr bool sameColor(Color a, Color b) {
    return ((a ^ b) & 0x00FFFFFFu) == 0;
}

constexpr Color kSilver = rgb(192, 192, 192);
constexpr Color kGrey = rgb(128, 128, 128);
constexpr Color kBlack = rgb(0, 0, 0);
constexpr Color kWhite = rgb(255, 255, 255);

// Pixels [left, right) x [top, bottom).
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static constexpr Rect sized(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool empty() const { return right <= left || bottom <= top; }
    constexpr bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    constexpr Rect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    constexpr Rect intersect(const Rect& o) const {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
    // The smallest rectangle holding both; an empty side does not count.
    constexpr Rect unite(const Rect& o) const {
        if (empty()) return o;
        if (o.empty()) return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    constexpr bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

}  // namespace vardelline::gui
