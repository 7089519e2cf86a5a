// The editor's artwork, drawn at any scale factor from one source: the
// build draws it at 1 into the embedded pictures, the editor draws it at
// run time for every other factor. Everything is placed through the same
// rounding to device pixels as the window's controls (gui::Scale), so
// pictures and live strips meet without seams; straight edges fall on pixel
// boundaries, curves and text are antialiased at their real size.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/art/art_canvas.h"
#include "editor/layout.h"

namespace artgen {

struct Fonts {
    const Font& regular;
    const Font& bold;
};

struct Artwork {
    ArtCanvas scene;  // the background picture
    std::vector<ArtCanvas> columns;  // Panel1 to Panel6 in turn
    ArtCanvas topStrip;
    ArtCanvas track;
    std::vector<uint8_t> trackMask;  // one byte a pixel, non-zero: transparent
    ArtCanvas knob;
    std::vector<uint8_t> knobMask;
    ArtCanvas readout;  // fully opaque
};

Artwork drawArtwork(const Fonts& fonts, double scale);

}  // namespace artgen
