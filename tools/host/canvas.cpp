// Drawing by filling rectangles: lines are runs of small squares, and the
// font's glyphs arrive from stb_easy_font as axis-aligned quads.
#include "tools/host/canvas.h"

#include <algorithm>
#include <cmath>

#define STB_EASY_FONT_IMPLEMENTATION
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb/stb_easy_font.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace vardelline::host {

namespace {

// stb_easy_font's vertex: position and colour, four per quad.
struct FontVertex {
    float x, y, z;
    unsigned char colour[4];
};

constexpr int kGlyphHeight = 7;

}  // namespace

Canvas::Canvas(int width, int height, Colour background)
    : width_(width), height_(height), rgb_(static_cast<size_t>(width) * height * 3) {
    fillRect(0, 0, width, height, background);
}

Colour Canvas::pixel(int x, int y) const {
    const size_t at = (static_cast<size_t>(y) * width_ + x) * 3;
    return {rgb_[at], rgb_[at + 1], rgb_[at + 2]};
}

void Canvas::fillRect(int x, int y, int width, int height, Colour colour) {
    const int x0 = std::max(x, 0), x1 = std::min(x + width, width_);
    const int y0 = std::max(y, 0), y1 = std::min(y + height, height_);
    for (int row = y0; row < y1; ++row) {
        for (int column = x0; column < x1; ++column) {
            unsigned char* p = &rgb_[(static_cast<size_t>(row) * width_ + column) * 3];
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
        }
    }
}

void Canvas::line(double x0, double y0, double x1, double y1, Colour colour, int thickness) {
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
    const int steps = static_cast<int>(std::min(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0)), 1e5)) + 1;
    const int half = thickness / 2;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        fillRect(static_cast<int>(std::lround(x0 + (x1 - x0) * t)) - half,
                 static_cast<int>(std::lround(y0 + (y1 - y0) * t)) - half, thickness, thickness, colour);
    }
}

void Canvas::text(int x, int y, const std::string& text, Colour colour, int scale) {
    std::vector<FontVertex> vertices(text.size() * 270 + 64);
    std::string copy = text;
    unsigned char rgba[4] = {colour.r, colour.g, colour.b, 255};
    const int quads = stb_easy_font_print(0, 0, copy.data(), rgba, vertices.data(),
                                          static_cast<int>(vertices.size() * sizeof(FontVertex)));
    for (int q = 0; q < quads; ++q) {
        const FontVertex& a = vertices[static_cast<size_t>(q) * 4];
        const FontVertex& c = vertices[static_cast<size_t>(q) * 4 + 2];
        fillRect(x + static_cast<int>(a.x) * scale, y + static_cast<int>(a.y) * scale,
                 static_cast<int>(c.x - a.x) * scale, static_cast<int>(c.y - a.y) * scale, colour);
    }
}

int Canvas::textWidth(const std::string& text, int scale) {
    std::string copy = text;
    return stb_easy_font_width(copy.data()) * scale;
}

int Canvas::textHeight(int scale) {
    return kGlyphHeight * scale;
}

}  // namespace vardelline::host
