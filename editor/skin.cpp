// Decoding of the embedded 8-bit palette bitmaps and 16-bit masked images.
#include "editor/skin.h"

namespace vardelline::gui {

Surface decodePaletteBitmap(const resources::PaletteBitmap& bitmap) {
    Surface out(bitmap.width, bitmap.height);
    size_t count = static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = bitmap.palette + 3 * static_cast<size_t>(bitmap.indices[i]);
        out.pixels()[i] = rgb(entry[0], entry[1], entry[2]);
    }
    return out;
}

// Five bits to eight, repeating the top bits so that 31 gives 255.
static int expand5(int v) {
    return (v << 3) | (v >> 2);
}

void addHiColorImage(ImageList& list, const resources::HiColorImage& image) {
    Surface pixels(image.width, image.height);
    std::vector<uint8_t> transparent(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    size_t maskStride = static_cast<size_t>((image.width + 7) / 8);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            size_t at = static_cast<size_t>(y) * image.width + x;
            uint16_t p = image.pixels[at];
            pixels.pixels()[at] = rgb(expand5((p >> 10) & 31), expand5((p >> 5) & 31), expand5(p & 31));
            transparent[at] = (image.mask[y * maskStride + x / 8] >> (7 - x % 8)) & 1;
        }
    }
    list.add(std::move(pixels), std::move(transparent));
}

Skin::Skin()
    : background(decodePaletteBitmap(resources::kBackground)),
      topStrip(decodePaletteBitmap(resources::kTopStrip)),
      track(layout::kStripWidth, layout::kStripHeight),
      knob(layout::kKnobSize, layout::kKnobSize),
      readoutBack(layout::kReadoutPicture.width, layout::kReadoutPicture.height),
      readoutFont(resources::kReadoutFont, resources::kReadoutFontSize, 11.0f) {
    for (int i = 0; i < layout::kNumColumns; ++i) columns[i] = decodePaletteBitmap(resources::kColumns[i]);
    addHiColorImage(track, resources::kTrack);
    addHiColorImage(knob, resources::kKnob);
    addHiColorImage(readoutBack, resources::kReadoutBack);
}

const Skin& skin() {
    static const Skin shared;
    return shared;
}

}  // namespace vardelline::gui
