// Build tool that draws the editor's pictures and writes them as C++ arrays:
// the background, the six column pictures and the top strip (8-bit palette,
// one shared palette), and the track, knob and readout background (16-bit
// colour with one-bit masks). This file is the artwork's source: change the
// colours and shapes here.
//   generate_art REGULAR.ttf BOLD.ttf OUTPUT.cpp [PREVIEW_DIR]
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/art/art_canvas.h"
#include "editor/art/palette.h"
#include "editor/layout.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_STATIC
#include <stb/stb_image_write.h>

using namespace artgen;
namespace lay = vardelline::layout;

namespace {

// The colour scheme.
const Rgb kWindow = rgb(192, 192, 192);  // the form's colour around the field
const Rgb kRim = rgb(34, 36, 41);
const Rgb kFieldTop = rgb(84, 88, 97);
const Rgb kFieldBottom = rgb(58, 61, 68);
const Rgb kWellTop = rgb(60, 63, 70);
const Rgb kWellBottom = rgb(52, 55, 61);
const Rgb kHeading = rgb(226, 229, 234);
const Rgb kLabel = rgb(176, 182, 192);
const Rgb kTick = rgb(122, 128, 139);
const Rgb kAccent = rgb(242, 160, 52);
const Rgb kAccentDark = rgb(196, 104, 24);
const Rgb kTrackEdge = rgb(26, 27, 31);
// The image-list pictures have 5 bits a channel: their colours are chosen
// on that grid (multiples of 8, plus the top bits repeated) so that they
// keep their hue.
const Rgb kTrackShadow = rgb(33, 33, 41);
const Rgb kTrackFace = rgb(41, 41, 49);
const Rgb kTrackLower = rgb(49, 49, 57);
const Rgb kTrackLight = rgb(107, 107, 123);
const Rgb kSlot = rgb(17, 18, 21);
const Rgb kLcdTop = rgb(211, 220, 198);
const Rgb kLcdBottom = rgb(186, 198, 174);

const char* const kColumnHeadings[lay::kNumColumns] = {"Left Delay", "Right Delay", "Speed",
                                                       "Pan",        "Width",       "Feedback"};
// Knob value shown on each column picture before the live strips are drawn.
const float kColumnKnobValue[lay::kNumColumns] = {0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f};
// Scale marks under the strips, as fractions of the range; major ones longer.
struct Scale {
    int steps;
    int majorEvery;
};
const Scale kColumnScales[lay::kNumColumns] = {{8, 4}, {8, 4}, {10, 5}, {4, 2}, {4, 2}, {4, 2}};
const char* const kTopLabels[4] = {"Low Freq", "High Freq", "Q", "D/C Mix"};

struct Fonts {
    Font regular;
    Font bold;
};

int knobLeft(float value) {
    return static_cast<int>(std::floor(value * 80.0f + 5.0f + 0.0000001f));
}

// The empty slider track: a recessed bar with a slot along the knob's path.
ArtCanvas drawTrack() {
    ArtCanvas track(lay::kStripWidth, lay::kStripHeight, kTrackEdge);
    track.fillRect(1, 1, 98, 2, kTrackShadow);
    track.fillRect(1, 3, 98, 4, kTrackFace);
    track.fillRect(1, 7, 98, 5, kTrackLower);
    track.fillRect(1, 12, 98, 1, kTrackLight);
    track.roundRect(7, 5, 86, 3, 1.5f, kSlot, kSlot);
    track.fillRect(8, 8, 84, 1, rgb(66, 66, 74));
    return track;
}

// Track corners of two pixels left transparent.
bool trackCorner(int x, int y) {
    int cx = std::min(x, lay::kStripWidth - 1 - x);
    int cy = std::min(y, lay::kStripHeight - 1 - y);
    return cx + cy < 2;
}

// The round knob, edge pixels already mixed with the track beneath.
ArtCanvas drawKnob(const ArtCanvas& track, std::vector<uint8_t>& transparent) {
    ArtCanvas knob = track.crop(45, lay::kKnobTop, lay::kKnobSize, lay::kKnobSize);
    knob.disc(4.5f, 4.5f, 4.5f, rgb(48, 30, 12));
    ArtCanvas body(lay::kKnobSize, lay::kKnobSize);
    for (int y = 0; y < lay::kKnobSize; ++y) {
        for (int x = 0; x < lay::kKnobSize; ++x) body.at(x, y) = mix(kAccent, kAccentDark, y / 8.0f);
    }
    for (int y = 0; y < lay::kKnobSize; ++y) {
        for (int x = 0; x < lay::kKnobSize; ++x) {
            float dx = x + 0.5f - 4.5f, dy = y + 0.5f - 4.5f;
            float d = std::sqrt(dx * dx + dy * dy);
            if (d < 3.6f) knob.blend(x, y, body.at(x, y), std::min(1.0f, 3.6f - d + 0.5f));
        }
    }
    knob.disc(3.6f, 3.2f, 1.3f, mix(kAccent, rgb(255, 240, 210), 0.7f));
    transparent.assign(lay::kKnobSize * lay::kKnobSize, 0);
    for (int y = 0; y < lay::kKnobSize; ++y) {
        for (int x = 0; x < lay::kKnobSize; ++x) {
            float dx = x + 0.5f - 4.5f, dy = y + 0.5f - 4.5f;
            transparent[static_cast<size_t>(y * lay::kKnobSize + x)] = dx * dx + dy * dy > 4.6f * 4.6f ? 1 : 0;
        }
    }
    return knob;
}

ArtCanvas drawReadoutBack() {
    ArtCanvas lcd(lay::kReadoutPicture.width, lay::kReadoutPicture.height, rgb(40, 44, 40));
    lcd.gradientRect(1, 1, lcd.width() - 2, lcd.height() - 2, kLcdTop, kLcdBottom);
    lcd.fillRect(1, 1, lcd.width() - 2, 1, mix(kLcdBottom, rgb(0, 0, 0), 0.25f));
    lcd.fillRect(1, 1, 1, lcd.height() - 2, mix(kLcdBottom, rgb(0, 0, 0), 0.2f));
    return lcd;
}

// Pastes the track with its corners left out.
void placeTrack(ArtCanvas& scene, const ArtCanvas& track, int x, int y) {
    for (int ty = 0; ty < track.height(); ++ty) {
        for (int tx = 0; tx < track.width(); ++tx) {
            if (!trackCorner(tx, ty)) scene.blend(x + tx, y + ty, track.at(tx, ty), 1.0f);
        }
    }
}

void placeKnob(ArtCanvas& scene, const ArtCanvas& knob, const std::vector<uint8_t>& transparent, int x, int y) {
    for (int ky = 0; ky < knob.height(); ++ky) {
        for (int kx = 0; kx < knob.width(); ++kx) {
            if (!transparent[static_cast<size_t>(ky * knob.width() + kx)])
                scene.blend(x + kx, y + ky, knob.at(kx, ky), 1.0f);
        }
    }
}

void drawScale(ArtCanvas& scene, int left, int top, const Scale& scale) {
    for (int i = 0; i <= scale.steps; ++i) {
        int x = left + 9 + static_cast<int>(std::lround(80.0 * i / scale.steps));
        bool major = i % scale.majorEvery == 0;
        scene.fillRect(x, top, 1, major ? 3 : 2, major ? kLabel : kTick);
    }
}

// The whole window as designed, tracks and knobs included; the pictures are
// cut from it so that they meet without seams.
ArtCanvas drawScene(const Fonts& fonts, const ArtCanvas& track, const ArtCanvas& knob,
                    const std::vector<uint8_t>& knobMask) {
    const int w = lay::kBackgroundPicture.width, h = lay::kBackgroundPicture.height;
    ArtCanvas scene(w, h, kWindow);
    scene.roundRect(1, 1, w - 2, h - 2, 10, kRim, kRim);
    scene.roundRect(2, 2, w - 4, h - 4, 9, kFieldTop, kFieldBottom);
    scene.fillRect(10, 2, w - 20, 1, mix(kFieldTop, rgb(255, 255, 255), 0.18f));

    // The well behind the band columns.
    const int wellTop = 38, wellBottom = 220;
    scene.roundRect(16, wellTop - 1, w - 32, wellBottom - wellTop + 2, 7, kRim, mix(kRim, kFieldBottom, 0.3f));
    scene.roundRect(17, wellTop, w - 34, wellBottom - wellTop, 6, kWellTop, kWellBottom);
    scene.fillRect(22, wellBottom + 1, w - 44, 1, mix(kFieldBottom, rgb(255, 255, 255), 0.12f));

    for (int c = 0; c < lay::kNumColumns; ++c) {
        const lay::Box& panel = lay::kPanels[c];
        scene.text(fonts.bold, 11.5f, panel.left + 50, wellTop + 15, kColumnHeadings[c], kHeading, Align::Center);
        scene.fillRect(panel.left + 20, wellTop + 18, 60, 1, kAccentDark);
        for (int band = 0; band < 8; ++band) {
            int top = panel.top + band * lay::kBandPitch;
            placeTrack(scene, track, panel.left, top);
            placeKnob(scene, knob, knobMask, panel.left + knobLeft(kColumnKnobValue[c]), top + lay::kKnobTop);
            drawScale(scene, panel.left, top + lay::kStripHeight + 1, kColumnScales[c]);
        }
    }
    for (int band = 0; band < 8; ++band) {
        int top = lay::kPanels[0].top + band * lay::kBandPitch;
        scene.text(fonts.bold, 11.0f, 44, top + 10.5f, std::to_string(band + 1), kLabel, Align::Center);
    }

    // Top strip: the band layout and the mix, each track with its label.
    const lay::Box& strip = lay::kPanels[lay::kTopStripPanel];
    for (int i = 0; i < 4; ++i) {
        int left = strip.left + lay::kTopSliders[i].left;
        placeTrack(scene, track, left, strip.top);
        placeKnob(scene, knob, knobMask, left + knobLeft(0.0f), strip.top + lay::kKnobTop);
        float size = fonts.regular.width(kTopLabels[i], 10.5f) > 54 ? 9.5f : 10.5f;
        scene.text(fonts.regular, size, left - 6, strip.top + 10, kTopLabels[i], kLabel, Align::Right);
    }

    // Product name, maker and the frame of the readout.
    scene.text(fonts.bold, 27, 24, 256, "Vardelline", kHeading);
    scene.text(fonts.regular, 9.5f, 25, 268, "MULTIBAND  DELAY  /  CHORUS", kLabel);
    const lay::Box& readout = lay::kPanels[lay::kReadoutPanel];
    scene.roundRect(readout.left - 3, readout.top - 3, readout.width + 6, readout.height + 6, 3, kRim, kRim);
    scene.fillRect(readout.left - 1, readout.top + readout.height + 3, readout.width + 2, 1,
                   mix(kFieldBottom, rgb(255, 255, 255), 0.15f));
    const char* maker = "QuorvaneFX";
    float makerLeft = w - 24 - fonts.bold.width(maker, 15);
    for (int b = 0; b < 8; ++b) {
        float level = 3 + 9 * (0.5f + 0.5f * std::sin(b * 0.9f + 0.6f));
        scene.roundRect(makerLeft - 48 + b * 5, 256 - level, 3, level, 1, kAccent, kAccentDark);
    }
    scene.text(fonts.bold, 15, w - 24, 256, maker, kHeading, Align::Right);
    scene.text(fonts.regular, 9.5f, w - 24, 268, "8 BANDS  \xB7  STEREO", kLabel, Align::Right);
    return scene;
}

std::vector<uint32_t> packed(const ArtCanvas& canvas) {
    std::vector<uint32_t> out;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) out.push_back(packRgb(canvas.at(x, y)));
    }
    return out;
}

void writeBytes(FILE* out, const char* name, const std::vector<uint8_t>& bytes) {
    std::fprintf(out, "const uint8_t %s[] = {", name);
    for (size_t i = 0; i < bytes.size(); ++i) std::fprintf(out, "%s%u,", i % 32 == 0 ? "\n" : "", bytes[i]);
    std::fprintf(out, "\n};\n");
}

void writeHiColor(FILE* out, const char* name, const ArtCanvas& image, const std::vector<uint8_t>& transparent) {
    std::fprintf(out, "const uint16_t %sPixels[] = {", name);
    int i = 0;
    for (uint32_t p : packed(image)) {
        unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        unsigned v = ((r * 31 + 127) / 255 << 10) | ((g * 31 + 127) / 255 << 5) | ((b * 31 + 127) / 255);
        std::fprintf(out, "%s%u,", i++ % 24 == 0 ? "\n" : "", v);
    }
    std::fprintf(out, "\n};\n");
    int stride = (image.width() + 7) / 8;
    std::vector<uint8_t> mask(static_cast<size_t>(stride * image.height()), 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (transparent[static_cast<size_t>(y * image.width() + x)])
                mask[y * stride + x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    writeBytes(out, (std::string(name) + "Mask").c_str(), mask);
}

void writePreview(const std::string& dir, const std::string& name, const ArtCanvas& image) {
    if (dir.empty()) return;
    std::vector<uint8_t> rgbBytes;
    for (uint32_t p : packed(image)) {
        rgbBytes.push_back(uint8_t(p >> 16));
        rgbBytes.push_back(uint8_t(p >> 8));
        rgbBytes.push_back(uint8_t(p));
    }
    stbi_write_png((dir + "/" + name + ".png").c_str(), image.width(), image.height(), 3, rgbBytes.data(),
                   image.width() * 3);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: generate_art REGULAR.ttf BOLD.ttf OUTPUT.cpp [PREVIEW_DIR]\n");
        return 2;
    }
    try {
        Fonts fonts{Font(argv[1]), Font(argv[2])};
        std::string previews = argc == 5 ? argv[4] : "";

        ArtCanvas track = drawTrack();
        std::vector<uint8_t> trackMask(static_cast<size_t>(track.width() * track.height()));
        for (int y = 0; y < track.height(); ++y) {
            for (int x = 0; x < track.width(); ++x)
                trackMask[static_cast<size_t>(y * track.width() + x)] = trackCorner(x, y);
        }
        std::vector<uint8_t> knobMask;
        ArtCanvas knob = drawKnob(track, knobMask);
        ArtCanvas readout = drawReadoutBack();
        std::vector<uint8_t> readoutMask(static_cast<size_t>(readout.width() * readout.height()), 0);

        ArtCanvas scene = drawScene(fonts, track, knob, knobMask);
        std::vector<ArtCanvas> columns;
        for (int c = 0; c < lay::kNumColumns; ++c) {
            const lay::Box& panel = lay::kPanels[c];
            columns.push_back(scene.crop(panel.left, panel.top, lay::kColumnPicture.width, lay::kColumnPicture.height));
        }
        const lay::Box& strip = lay::kPanels[lay::kTopStripPanel];
        ArtCanvas topStrip =
            scene.crop(strip.left, strip.top, lay::kTopStripPicture.width, lay::kTopStripPicture.height);

        PaletteBuilder builder;
        builder.add(packed(scene));
        std::vector<uint32_t> palette = builder.build();
        palette.resize(256, 0);
        std::vector<uint8_t> paletteBytes;
        for (uint32_t c : palette) {
            paletteBytes.push_back(uint8_t(c >> 16));
            paletteBytes.push_back(uint8_t(c >> 8));
            paletteBytes.push_back(uint8_t(c));
        }

        FILE* out = std::fopen(argv[3], "w");
        if (out == nullptr) throw std::runtime_error(std::string("cannot write ") + argv[3]);
        std::fprintf(out,
                     "// Generated by generate_art (editor/art); do not edit.\n#include \"editor/resources.h\"\n\n");
        std::fprintf(out, "namespace vardelline::resources {\nnamespace {\n\n");
        writeBytes(out, "kPalette", paletteBytes);
        writeBytes(out, "kBackgroundIndices", mapToPalette(packed(scene), palette));
        for (int c = 0; c < lay::kNumColumns; ++c) {
            writeBytes(out, ("kColumn" + std::to_string(c) + "Indices").c_str(),
                       mapToPalette(packed(columns[static_cast<size_t>(c)]), palette));
        }
        writeBytes(out, "kTopStripIndices", mapToPalette(packed(topStrip), palette));
        writeHiColor(out, "kTrack", track, trackMask);
        writeHiColor(out, "kKnob", knob, knobMask);
        writeHiColor(out, "kReadoutBack", readout, readoutMask);
        std::fprintf(out, "\n}  // namespace\n\n");
        std::fprintf(out, "const PaletteBitmap kBackground = {%d, %d, kPalette, kBackgroundIndices};\n", scene.width(),
                     scene.height());
        std::fprintf(out, "const PaletteBitmap kColumns[6] = {\n");
        for (int c = 0; c < lay::kNumColumns; ++c)
            std::fprintf(out, "    {100, 153, kPalette, kColumn%dIndices},\n", c);
        std::fprintf(out, "};\nconst PaletteBitmap kTopStrip = {%d, %d, kPalette, kTopStripIndices};\n",
                     topStrip.width(), topStrip.height());
        std::fprintf(out, "const HiColorImage kTrack = {100, 13, kTrackPixels, kTrackMask};\n");
        std::fprintf(out, "const HiColorImage kKnob = {9, 9, kKnobPixels, kKnobMask};\n");
        std::fprintf(out, "const HiColorImage kReadoutBack = {200, 23, kReadoutBackPixels, kReadoutBackMask};\n");
        std::fprintf(out, "\n}  // namespace vardelline::resources\n");
        if (std::fclose(out) != 0) throw std::runtime_error(std::string("cannot write ") + argv[3]);

        writePreview(previews, "scene", scene);
        writePreview(previews, "track", track);
        writePreview(previews, "knob", knob);
        writePreview(previews, "readout", readout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generate_art: %s\n", e.what());
        return 1;
    }
    return 0;
}
