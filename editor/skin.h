// The editor's pictures and readout font at one scale factor. At 1 they are
// decoded from the resources embedded at build time; at any other factor
// they are drawn at run time by the same artwork code (editor/art), in full
// colour, at their real device size. Skins are shared between windows and
// kept for the factors used last, so reopening an editor draws nothing anew.
#pragma once

#include <memory>

#include "editor/image_list.h"
#include "editor/layout.h"
#include "editor/resources.h"
#include "editor/surface.h"
#include "editor/text_font.h"
#include "editor/ui_scale.h"

namespace vardelline::gui {

struct Skin {
    explicit Skin(double factor = 1.0);

    Scale scale;
    Surface background;
    Surface columns[layout::kNumColumns];
    Surface topStrip;
    ImageList track;
    ImageList knob;
    ImageList readoutBack;
    TextFont readoutFont;  // Arial-metric, 8 points at 96 dpi times the factor
};

// The skin of a factor (made sane first), made on first use.
std::shared_ptr<const Skin> skinFor(double factor);
// The skin at factor 1.
const Skin& skin();

// Decoders of the embedded formats, exposed for tests.
Surface decodePaletteBitmap(const resources::PaletteBitmap& bitmap);
// Adds the image with its mask to list.
void addHiColorImage(ImageList& list, const resources::HiColorImage& image);

}  // namespace vardelline::gui
