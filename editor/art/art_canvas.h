// Drawing tools of the picture generator: a floating-point RGB canvas with
// antialiased shapes (rounded rectangles, discs, gradients) and TrueType
// text. The build draws the embedded pictures with it, the editor the
// pictures of other scale factors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct stbtt_fontinfo;

namespace artgen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};
// Worked out by the compiler, so that colour constants need no arithmetic
// when a plug-in library loads (it would leave the host's floating-point
// status flags changed).
constexpr Rgb rgb(int r, int g, int b) {
    return {r / 255.0f, g / 255.0f, b / 255.0f};
}
Rgb mix(const Rgb& a, const Rgb& b, float t);

class Font {
public:
    // Throws std::runtime_error when the file is not a font.
    explicit Font(const std::string& path);
    // A copy of a font file in memory; valid() tells whether it is usable.
    Font(const unsigned char* data, size_t size);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    bool valid() const { return valid_; }
    const stbtt_fontinfo& info() const { return *info_; }
    // Advance width of text at a pixel height (em square), with kerning.
    float width(const std::string& text, float px) const;

private:
    std::vector<unsigned char> data_;
    stbtt_fontinfo* info_;
    bool valid_ = false;
};

enum class Align { Left, Center, Right };

class ArtCanvas {
public:
    ArtCanvas(int width, int height, Rgb fill = {});

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb& at(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    const Rgb& at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

    // Mixes colour into a pixel with coverage 0..1 (outside: ignored).
    void blend(int x, int y, const Rgb& colour, float coverage);
    void fillRect(int x, int y, int w, int h, const Rgb& colour);
    // Vertical gradient from top to bottom colour inside the rectangle.
    void gradientRect(int x, int y, int w, int h, const Rgb& top, const Rgb& bottom);
    // Antialiased rounded rectangle (edges at x..x+w, y..y+h); with a
    // gradient when top and bottom differ.
    void roundRect(float x, float y, float w, float h, float radius, const Rgb& top, const Rgb& bottom);
    void disc(float cx, float cy, float radius, const Rgb& colour);
    // Text with its baseline at y; x is its left, centre or right end.
    void text(const Font& font, float px, float x, float y, const std::string& text, const Rgb& colour,
              Align align = Align::Left);
    // A copy of the rectangle.
    ArtCanvas crop(int x, int y, int w, int h) const;
    void paste(const ArtCanvas& source, int x, int y);

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// 8-bit channels, rounded.
uint32_t packRgb(const Rgb& c);

}  // namespace artgen
