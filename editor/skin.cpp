// Decoding of the embedded 8-bit palette bitmaps and 16-bit masked images,
// drawing of the pictures at other factors, and the shared cache of skins.
#include "editor/skin.h"

#include <cmath>
#include <mutex>
#include <vector>

#include "editor/art/artwork.h"

namespace vardelline::gui {

namespace {

// Skins kept besides the one at factor 1: a host switching between two
// screens finds both ready.
constexpr size_t kKeptSkins = 2;

// Five bits to eight, repeating the top bits so that 31 gives 255.
int expand5(int v) {
    return (v << 3) | (v >> 2);
}

// Eight bits to five, rounded as the build rounds the embedded images.
int reduce5(uint32_t v) {
    return static_cast<int>((v * 31 + 127) / 255);
}

Surface fromArt(const artgen::ArtCanvas& art) {
    Surface out(art.width(), art.height());
    for (int y = 0; y < art.height(); ++y) {
        uint32_t* row = out.pixels() + static_cast<size_t>(y) * out.stride();
        for (int x = 0; x < art.width(); ++x) row[x] = 0xFF000000u | artgen::packRgb(art.at(x, y));
    }
    return out;
}

// An image-list entry with the 16-bit colour of the embedded ones, so that
// strips drawn live match the tracks painted into the column pictures as
// they do at factor 1.
void addArtImage(ImageList& list, const artgen::ArtCanvas& art, std::vector<uint8_t> transparent) {
    Surface pixels(art.width(), art.height());
    for (int y = 0; y < art.height(); ++y) {
        for (int x = 0; x < art.width(); ++x) {
            uint32_t p = artgen::packRgb(art.at(x, y));
            pixels.setPixel(x, y,
                            rgb(expand5(reduce5((p >> 16) & 0xFF)), expand5(reduce5((p >> 8) & 0xFF)),
                                expand5(reduce5(p & 0xFF))));
        }
    }
    list.add(std::move(pixels), std::move(transparent));
}

}  // namespace

Surface decodePaletteBitmap(const resources::PaletteBitmap& bitmap) {
    Surface out(bitmap.width, bitmap.height);
    size_t count = static_cast<size_t>(bitmap.width) * static_cast<size_t>(bitmap.height);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = bitmap.palette + 3 * static_cast<size_t>(bitmap.indices[i]);
        out.pixels()[i] = rgb(entry[0], entry[1], entry[2]);
    }
    return out;
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

Skin::Skin(double factor)
    : scale(factor),
      track(scale.size(layout::kStripWidth), scale.size(layout::kStripHeight)),
      knob(scale.size(layout::kKnobSize), scale.size(layout::kKnobSize)),
      readoutBack(scale.size(layout::kReadoutPicture.width), scale.size(layout::kReadoutPicture.height)),
      readoutFont(resources::kReadoutFont, resources::kReadoutFontSize, static_cast<float>(11.0 * scale.factor())) {
    if (scale.isOne()) {
        background = decodePaletteBitmap(resources::kBackground);
        topStrip = decodePaletteBitmap(resources::kTopStrip);
        for (int i = 0; i < layout::kNumColumns; ++i) columns[i] = decodePaletteBitmap(resources::kColumns[i]);
        addHiColorImage(track, resources::kTrack);
        addHiColorImage(knob, resources::kKnob);
        addHiColorImage(readoutBack, resources::kReadoutBack);
        return;
    }
    const artgen::Font regular(resources::kReadoutFont, resources::kReadoutFontSize);
    const artgen::Font bold(resources::kHeadingFont, resources::kHeadingFontSize);
    artgen::Artwork art = artgen::drawArtwork(artgen::Fonts{regular, bold}, scale.factor());
    background = fromArt(art.scene);
    topStrip = fromArt(art.topStrip);
    for (int i = 0; i < layout::kNumColumns; ++i) columns[i] = fromArt(art.columns[static_cast<size_t>(i)]);
    addArtImage(track, art.track, std::move(art.trackMask));
    addArtImage(knob, art.knob, std::move(art.knobMask));
    addArtImage(readoutBack, art.readout,
                std::vector<uint8_t>(static_cast<size_t>(art.readout.width()) * art.readout.height(), 0));
}

std::shared_ptr<const Skin> skinFor(double factor) {
    static std::mutex mutex;
    static std::vector<std::shared_ptr<const Skin>> kept;  // most recent last
    static const std::shared_ptr<const Skin> one = std::make_shared<const Skin>(1.0);
    const double sane = saneScale(factor);
    if (sane == 1.0) return one;
    std::lock_guard<std::mutex> lock(mutex);
    for (size_t i = 0; i < kept.size(); ++i) {
        if (kept[i]->scale.factor() == sane) {
            std::shared_ptr<const Skin> found = kept[i];
            kept.erase(kept.begin() + static_cast<long>(i));
            kept.push_back(found);
            return found;
        }
    }
    auto made = std::make_shared<const Skin>(sane);
    if (kept.size() == kKeptSkins) kept.erase(kept.begin());
    kept.push_back(made);
    return made;
}

const Skin& skin() {
    return *skinFor(1.0);
}

}  // namespace vardelline::gui
