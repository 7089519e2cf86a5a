// Shapes and text of the picture generator's canvas.
#include "editor/art/art_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

namespace artgen {

Rgb mix(const Rgb& a, const Rgb& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

uint32_t packRgb(const Rgb& c) {
    // Rounds half away from zero like lround, without its cost (the editor
    // packs every pixel of its pictures at run time): a float plus 0.5 is
    // exact in double.
    auto channel = [](float v) {
        const float scaled = (v > 0.0f ? std::min(v, 1.0f) : 0.0f) * 255.0f;
        return static_cast<uint32_t>(static_cast<double>(scaled) + 0.5);
    };
    return (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

static std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Font::Font(const std::string& path) : data_(readFile(path)), info_(new stbtt_fontinfo) {
    valid_ = data_.size() >= 12 && stbtt_GetFontOffsetForIndex(data_.data(), 0) == 0 &&
             stbtt_InitFont(info_, data_.data(), 0) != 0;
    if (!valid_) {
        delete info_;
        throw std::runtime_error("cannot read font " + path);
    }
}

Font::Font(const unsigned char* data, size_t size) : info_(new stbtt_fontinfo) {
    if (data != nullptr) data_.assign(data, data + size);
    valid_ = data_.size() >= 12 && stbtt_GetFontOffsetForIndex(data_.data(), 0) == 0 &&
             stbtt_InitFont(info_, data_.data(), 0) != 0;
}

Font::~Font() {
    delete info_;
}

float Font::width(const std::string& text, float px) const {
    if (!valid_) return 0;
    float scale = stbtt_ScaleForMappingEmToPixels(info_, px);
    float w = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(info_, text[i], &advance, &bearing);
        w += advance * scale;
        if (i + 1 < text.size()) w += scale * stbtt_GetCodepointKernAdvance(info_, text[i], text[i + 1]);
    }
    return w;
}

ArtCanvas::ArtCanvas(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void ArtCanvas::blend(int x, int y, const Rgb& colour, float coverage) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0) return;
    Rgb& p = at(x, y);
    p = mix(p, colour, std::min(coverage, 1.0f));
}

void ArtCanvas::fillRect(int x, int y, int w, int h, const Rgb& colour) {
    gradientRect(x, y, w, h, colour, colour);
}

void ArtCanvas::gradientRect(int x, int y, int w, int h, const Rgb& top, const Rgb& bottom) {
    for (int row = y; row < y + h; ++row) {
        Rgb colour = h > 1 ? mix(top, bottom, float(row - y) / float(h - 1)) : top;
        for (int col = x; col < x + w; ++col) blend(col, row, colour, 1.0f);
    }
}

// Coverage of a pixel by a shape, from 4 x 4 samples of an inside test.
template <typename Inside>
static float coverage(int px, int py, Inside inside) {
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) hits += inside(px + (sx + 0.5f) / 4, py + (sy + 0.5f) / 4) ? 1 : 0;
    }
    return hits / 16.0f;
}

void ArtCanvas::roundRect(float x, float y, float w, float h, float radius, const Rgb& top, const Rgb& bottom) {
    auto inside = [=](float sx, float sy) {
        float dx = std::max({x + radius - sx, sx - (x + w - radius), 0.0f});
        float dy = std::max({y + radius - sy, sy - (y + h - radius), 0.0f});
        return sx >= x && sx <= x + w && sy >= y && sy <= y + h && dx * dx + dy * dy <= radius * radius;
    };
    // Where every sample of a pixel lies between the straight sides of one
    // direction and inside the box, the test above holds for all 16 samples:
    // such pixels are covered fully without sampling (large pictures are
    // mostly such pixels). The bounds are the test's own float expressions.
    const float innerLeft = x + radius, innerRight = x + w - radius;
    const float innerTop = y + radius, innerBottom = y + h - radius;
    auto within = [](int p, float low, float high) { return p + 0.125f >= low && p + 0.875f <= high; };
    for (int py = int(std::floor(y)); py < int(std::ceil(y + h)); ++py) {
        Rgb colour = mix(top, bottom, std::clamp((py + 0.5f - y) / h, 0.0f, 1.0f));
        const bool rowInBox = within(py, y, y + h);
        const bool rowInMiddle = within(py, innerTop, innerBottom);
        for (int px = int(std::floor(x)); px < int(std::ceil(x + w)); ++px) {
            const bool full = (rowInMiddle && within(px, x, x + w)) || (rowInBox && within(px, innerLeft, innerRight));
            blend(px, py, colour, full ? 1.0f : coverage(px, py, inside));
        }
    }
}

void ArtCanvas::disc(float cx, float cy, float radius, const Rgb& colour) {
    auto inside = [=](float sx, float sy) { return (sx - cx) * (sx - cx) + (sy - cy) * (sy - cy) <= radius * radius; };
    for (int py = int(std::floor(cy - radius)); py < int(std::ceil(cy + radius)); ++py) {
        for (int px = int(std::floor(cx - radius)); px < int(std::ceil(cx + radius)); ++px) {
            blend(px, py, colour, coverage(px, py, inside));
        }
    }
}

void ArtCanvas::text(const Font& font, float px, float x, float y, const std::string& text, const Rgb& colour,
                     Align align) {
    if (!font.valid()) return;
    const stbtt_fontinfo& info = font.info();
    float scale = stbtt_ScaleForMappingEmToPixels(&info, px);
    float width = font.width(text, px);
    float pen = align == Align::Left ? x : align == Align::Center ? x - width / 2 : x - width;
    pen = std::round(pen);
    int baseline = int(std::lround(y));
    for (size_t i = 0; i < text.size(); ++i) {
        int c = static_cast<unsigned char>(text[i]);
        float shift = pen - std::floor(pen);
        int x0, y0, x1, y1;
        stbtt_GetCodepointBitmapBoxSubpixel(&info, c, scale, scale, shift, 0, &x0, &y0, &x1, &y1);
        int w = x1 - x0, h = y1 - y0;
        if (w > 0 && h > 0) {
            std::vector<unsigned char> glyph(static_cast<size_t>(w) * h);
            stbtt_MakeCodepointBitmapSubpixel(&info, glyph.data(), w, h, w, scale, scale, shift, 0, c);
            for (int gy = 0; gy < h; ++gy) {
                for (int gx = 0; gx < w; ++gx) {
                    blend(int(std::floor(pen)) + x0 + gx, baseline + y0 + gy, colour, glyph[gy * w + gx] / 255.0f);
                }
            }
        }
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info, c, &advance, &bearing);
        pen += advance * scale;
        if (i + 1 < text.size()) pen += scale * stbtt_GetCodepointKernAdvance(&info, c, text[i + 1]);
    }
}

ArtCanvas ArtCanvas::crop(int x, int y, int w, int h) const {
    ArtCanvas out(w, h);
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            if (x + col >= 0 && y + row >= 0 && x + col < width_ && y + row < height_)
                out.at(col, row) = at(x + col, y + row);
        }
    }
    return out;
}

void ArtCanvas::paste(const ArtCanvas& source, int x, int y) {
    for (int row = 0; row < source.height(); ++row) {
        for (int col = 0; col < source.width(); ++col) blend(x + col, y + row, source.at(col, row), 1.0f);
    }
}

}  // namespace artgen
