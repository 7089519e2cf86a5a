// The editor's pictures and readout font as byte arrays that the build
// generates (editor/art) and links into the library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vardelline::resources {

// An 8-bit palette bitmap: 256 RGB triples and one palette index per pixel,
// rows top to bottom.
struct PaletteBitmap {
    int width;
    int height;
    const uint8_t* palette;
    const uint8_t* indices;
};

// A 16-bit image-list entry: RGB555 pixels and a one-bit mask with rows
// padded to whole bytes, most significant bit first; a set bit is transparent.
struct HiColorImage {
    int width;
    int height;
    const uint16_t* pixels;
    const uint8_t* mask;
};

extern const PaletteBitmap kBackground;  // 731 x 275
extern const PaletteBitmap kColumns[6];  // 100 x 153, Panel1 to Panel6 in turn
extern const PaletteBitmap kTopStrip;    // 612 x 13
extern const HiColorImage kTrack;        // 100 x 13
extern const HiColorImage kKnob;         // 9 x 9
extern const HiColorImage kReadoutBack;  // 200 x 23

extern const unsigned char kReadoutFont[];  // a TrueType file (regular)
extern const size_t kReadoutFontSize;
extern const unsigned char kHeadingFont[];  // a TrueType file (bold)
extern const size_t kHeadingFontSize;

}  // namespace vardelline::resources
