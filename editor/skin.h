// The editor's pictures and readout font, decoded once per process from the
// embedded resources and shared by every window.
#pragma once

#include "editor/image_list.h"
#include "editor/layout.h"
#include "editor/resources.h"
#include "editor/surface.h"
#include "editor/text_font.h"

namespace vardelline::gui {

struct Skin {
    Skin();

    Surface background;
    Surface columns[layout::kNumColumns];
    Surface topStrip;
    ImageList track;
    ImageList knob;
    ImageList readoutBack;
    TextFont readoutFont;  // Arial-metric, 8 points at 96 dpi
};

const Skin& skin();

// Decoders of the embedded formats, exposed for tests.
Surface decodePaletteBitmap(const resources::PaletteBitmap& bitmap);
// Adds the image with its mask to list.
void addHiColorImage(ImageList& list, const resources::HiColorImage& image);

}  // namespace vardelline::gui
