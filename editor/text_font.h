// TextFont: a TrueType font rasterised once at one pixel size into a glyph
// cache (printable ASCII), then drawn with antialiased coverage and a
// transparent background. Glyphs sit on whole pixels, advances are rounded,
// so a text looks the same on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "editor/surface.h"

namespace vardelline::gui {

class TextFont {
public:
    // emPixels is the size of the font's em square in pixels (11 for an
    // 8-point font at 96 dpi). A file that is not a usable font gives a font
    // that draws nothing.
    TextFont(const unsigned char* ttf, size_t size, float emPixels);

    bool valid() const { return !glyphs_.empty(); }
    // Distance from a text's top to its baseline, in pixels.
    int ascent() const { return ascent_; }
    // Width of text in pixels; characters outside printable ASCII count as '?'.
    int textWidth(const char* text) const;

    // Draws text with its cell's top-left at (x, y); clipped to the target.
    void draw(Surface& target, int x, int y, const char* text, Color color) const;

private:
    struct Glyph {
        int left = 0;  // bitmap offset from the pen position
        int top = 0;   // bitmap offset from the baseline
        int width = 0;
        int height = 0;
        int advance = 0;    // whole pixels
        size_t offset = 0;  // start of the coverage bytes in coverage_
    };
    static constexpr int kFirstChar = 32;
    static constexpr int kLastChar = 126;

    const Glyph& glyphFor(char c) const;

    int ascent_ = 0;
    std::vector<Glyph> glyphs_;
    std::vector<uint8_t> coverage_;
};

}  // namespace vardelline::gui
