// Glyph rasterising with stb_truetype (compiled here, with internal linkage)
// and coverage drawing of cached glyphs.
#include "editor/text_font.h"

#include <cmath>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb/stb_truetype.h>

namespace vardelline::gui {

// Raises partial coverage so that small unhinted text does not look washed
// out (about coverage^0.7), in integers so that every platform gets the same.
static uint8_t withContrast(int c) {
    return static_cast<uint8_t>((c + 255 - (255 - c) * (255 - c) / 255) / 2);
}

TextFont::TextFont(const unsigned char* ttf, size_t size, float emPixels) {
    stbtt_fontinfo info;
    if (ttf == nullptr || size < 12 || !(emPixels > 0.0f) || stbtt_GetFontOffsetForIndex(ttf, 0) != 0 ||
        !stbtt_InitFont(&info, ttf, 0)) {
        return;
    }
    float scale = stbtt_ScaleForMappingEmToPixels(&info, emPixels);
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &lineGap);
    ascent_ = static_cast<int>(std::lround(ascent * scale));

    glyphs_.resize(kLastChar - kFirstChar + 1);
    for (int c = kFirstChar; c <= kLastChar; ++c) {
        Glyph& glyph = glyphs_[static_cast<size_t>(c - kFirstChar)];
        int advance = 0, bearing = 0;
        stbtt_GetCodepointHMetrics(&info, c, &advance, &bearing);
        glyph.advance = static_cast<int>(std::lround(advance * scale));
        unsigned char* bitmap =
            stbtt_GetCodepointBitmap(&info, scale, scale, c, &glyph.width, &glyph.height, &glyph.left, &glyph.top);
        glyph.offset = coverage_.size();
        if (bitmap != nullptr) {
            for (size_t i = 0; i < static_cast<size_t>(glyph.width) * glyph.height; ++i) {
                coverage_.push_back(withContrast(bitmap[i]));
            }
            stbtt_FreeBitmap(bitmap, nullptr);
        } else {
            glyph.width = glyph.height = 0;
        }
    }
}

const TextFont::Glyph& TextFont::glyphFor(char c) const {
    int code = static_cast<unsigned char>(c);
    if (code < kFirstChar || code > kLastChar) code = '?';
    return glyphs_[static_cast<size_t>(code - kFirstChar)];
}

int TextFont::textWidth(const char* text) const {
    if (!valid() || text == nullptr) return 0;
    int width = 0;
    for (const char* p = text; *p; ++p) width += glyphFor(*p).advance;
    return width;
}

void TextFont::draw(Surface& target, int x, int y, const char* text, Color color) const {
    if (!valid() || text == nullptr) return;
    int baseline = y + ascent_;
    for (const char* p = text; *p && x < target.width(); ++p) {
        const Glyph& glyph = glyphFor(*p);
        const uint8_t* cover = coverage_.data() + glyph.offset;
        for (int row = 0; row < glyph.height; ++row) {
            for (int col = 0; col < glyph.width; ++col) {
                target.blend(x + glyph.left + col, baseline + glyph.top + row, color, cover[row * glyph.width + col]);
            }
        }
        x += glyph.advance;
    }
}

}  // namespace vardelline::gui
