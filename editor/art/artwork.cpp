// The artwork's source: colours, shapes and texts of the editor's pictures.
// Coordinates are layout pixels; S (a gui::Scale) turns them into device
// pixels. Straight edges go through S.at, so they land on whole pixels at
// every factor; at factor 1 every shape is exactly as designed.
#include "editor/art/artwork.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "editor/ui_scale.h"

namespace artgen {

namespace {

namespace lay = vardelline::layout;
using vardelline::gui::Scale;

// The colour scheme.
constexpr Rgb kWindow = rgb(192, 192, 192);  // the form's colour around the field
constexpr Rgb kRim = rgb(34, 36, 41);
constexpr Rgb kFieldTop = rgb(84, 88, 97);
constexpr Rgb kFieldBottom = rgb(58, 61, 68);
constexpr Rgb kWellTop = rgb(60, 63, 70);
constexpr Rgb kWellBottom = rgb(52, 55, 61);
constexpr Rgb kHeading = rgb(226, 229, 234);
constexpr Rgb kLabel = rgb(176, 182, 192);
constexpr Rgb kTick = rgb(122, 128, 139);
constexpr Rgb kAccent = rgb(242, 160, 52);
constexpr Rgb kAccentDark = rgb(196, 104, 24);
constexpr Rgb kTrackEdge = rgb(26, 27, 31);
// The image-list pictures have 5 bits a channel: their colours are chosen
// on that grid (multiples of 8, plus the top bits repeated) so that they
// keep their hue.
constexpr Rgb kTrackShadow = rgb(33, 33, 41);
constexpr Rgb kTrackFace = rgb(41, 41, 49);
constexpr Rgb kTrackLower = rgb(49, 49, 57);
constexpr Rgb kTrackLight = rgb(107, 107, 123);
constexpr Rgb kSlot = rgb(17, 18, 21);
constexpr Rgb kLcdTop = rgb(211, 220, 198);
constexpr Rgb kLcdBottom = rgb(186, 198, 174);

const char* const kColumnHeadings[lay::kNumColumns] = {"Left Delay", "Right Delay", "Speed",
                                                       "Pan",        "Width",       "Feedback"};
// Knob value shown on each column picture before the live strips are drawn.
const float kColumnKnobValue[lay::kNumColumns] = {0.0f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f};
// Scale marks under the strips, as fractions of the range; major ones longer.
struct Marks {
    int steps;
    int majorEvery;
};
const Marks kColumnMarks[lay::kNumColumns] = {{8, 4}, {8, 4}, {10, 5}, {4, 2}, {4, 2}, {4, 2}};
const char* const kTopLabels[4] = {"Low Freq", "High Freq", "Q", "D/C Mix"};

// A rectangle given in layout pixels, filled on whole device pixels.
void fillLayoutRect(ArtCanvas& canvas, const Scale& S, int x, int y, int w, int h, const Rgb& colour) {
    canvas.fillRect(S.at(x), S.at(y), S.at(x + w) - S.at(x), S.at(y + h) - S.at(y), colour);
}

// A rounded rectangle given in layout pixels, its sides on whole device pixels.
void roundLayoutRect(ArtCanvas& canvas, const Scale& S, int x, int y, int w, int h, float radius, const Rgb& top,
                     const Rgb& bottom) {
    const float f = static_cast<float>(S.factor());
    canvas.roundRect(static_cast<float>(S.at(x)), static_cast<float>(S.at(y)),
                     static_cast<float>(S.at(x + w) - S.at(x)), static_cast<float>(S.at(y + h) - S.at(y)), radius * f,
                     top, bottom);
}

// Device column of the knob's left edge for a value, as the window draws it.
int knobLeft(float value, const Scale& S) {
    const float f = static_cast<float>(S.factor());
    return static_cast<int>(std::floor(value * 80.0f * f + 5.0f * f + 0.0000001f));
}

// The empty slider track: a recessed bar with a slot along the knob's path.
ArtCanvas drawTrack(const Scale& S) {
    ArtCanvas track(S.size(lay::kStripWidth), S.size(lay::kStripHeight), kTrackEdge);
    fillLayoutRect(track, S, 1, 1, 98, 2, kTrackShadow);
    fillLayoutRect(track, S, 1, 3, 98, 4, kTrackFace);
    fillLayoutRect(track, S, 1, 7, 98, 5, kTrackLower);
    fillLayoutRect(track, S, 1, 12, 98, 1, kTrackLight);
    roundLayoutRect(track, S, 7, 5, 86, 3, 1.5f, kSlot, kSlot);
    fillLayoutRect(track, S, 8, 8, 84, 1, rgb(66, 66, 74));
    return track;
}

// Track corners of two layout pixels left transparent (device x, y).
bool trackCorner(const ArtCanvas& track, const Scale& S, int x, int y) {
    int cx = std::min(x, track.width() - 1 - x);
    int cy = std::min(y, track.height() - 1 - y);
    return cx + cy < S.at(2);
}

// The round knob, edge pixels already mixed with the track beneath.
ArtCanvas drawKnob(const ArtCanvas& track, const Scale& S, std::vector<uint8_t>& transparent) {
    const int size = S.size(lay::kKnobSize);
    const float f = static_cast<float>(S.factor());
    const float c = size / 2.0f;  // the centre, 4.5 at factor 1
    auto at = [c, f](float designed) { return c + (designed - 4.5f) * f; };
    ArtCanvas knob = track.crop(S.at(45), S.at(lay::kKnobTop), size, size);
    knob.disc(c, c, 4.5f * f, rgb(48, 30, 12));
    ArtCanvas body(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) body.at(x, y) = mix(kAccent, kAccentDark, y / static_cast<float>(size - 1));
    }
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float dx = x + 0.5f - c, dy = y + 0.5f - c;
            float d = std::sqrt(dx * dx + dy * dy);
            if (d < 3.6f * f) knob.blend(x, y, body.at(x, y), std::min(1.0f, 3.6f * f - d + 0.5f));
        }
    }
    knob.disc(at(3.6f), at(3.2f), 1.3f * f, mix(kAccent, rgb(255, 240, 210), 0.7f));
    transparent.assign(static_cast<size_t>(size) * size, 0);
    const float outside = 4.6f * f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float dx = x + 0.5f - c, dy = y + 0.5f - c;
            transparent[static_cast<size_t>(y * size + x)] = dx * dx + dy * dy > outside * outside ? 1 : 0;
        }
    }
    return knob;
}

ArtCanvas drawReadoutBack(const Scale& S) {
    const int w = lay::kReadoutPicture.width, h = lay::kReadoutPicture.height;
    ArtCanvas lcd(S.size(w), S.size(h), rgb(40, 44, 40));
    const int one = S.at(1);
    const int innerW = lcd.width() - 2 * one, innerH = lcd.height() - 2 * one;
    lcd.gradientRect(one, one, innerW, innerH, kLcdTop, kLcdBottom);
    lcd.fillRect(one, one, innerW, S.at(2) - one, mix(kLcdBottom, rgb(0, 0, 0), 0.25f));
    lcd.fillRect(one, one, S.at(2) - one, innerH, mix(kLcdBottom, rgb(0, 0, 0), 0.2f));
    return lcd;
}

// Pastes the track with its corners left out; (x, y) in device pixels.
void placeTrack(ArtCanvas& scene, const ArtCanvas& track, const Scale& S, int x, int y) {
    for (int ty = 0; ty < track.height(); ++ty) {
        for (int tx = 0; tx < track.width(); ++tx) {
            if (!trackCorner(track, S, tx, ty)) scene.blend(x + tx, y + ty, track.at(tx, ty), 1.0f);
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

// The marks under a strip whose device top-left is (left, top).
void drawMarks(ArtCanvas& scene, const Scale& S, int left, int top, const Marks& marks) {
    const int y = top + S.at(lay::kStripHeight + 1);
    for (int i = 0; i <= marks.steps; ++i) {
        int x = left + S.at(9 + 80.0 * i / marks.steps);
        bool major = i % marks.majorEvery == 0;
        scene.fillRect(x, y, S.size(1), S.size(major ? 3 : 2), major ? kLabel : kTick);
    }
}

// The whole window as designed, tracks and knobs included; the pictures are
// cut from it so that they meet without seams.
ArtCanvas drawScene(const Fonts& fonts, const Scale& S, const ArtCanvas& track, const ArtCanvas& knob,
                    const std::vector<uint8_t>& knobMask) {
    const float f = static_cast<float>(S.factor());
    const int w = lay::kBackgroundPicture.width, h = lay::kBackgroundPicture.height;
    ArtCanvas scene(S.size(w), S.size(h), kWindow);
    roundLayoutRect(scene, S, 1, 1, w - 2, h - 2, 10, kRim, kRim);
    roundLayoutRect(scene, S, 2, 2, w - 4, h - 4, 9, kFieldTop, kFieldBottom);
    fillLayoutRect(scene, S, 10, 2, w - 20, 1, mix(kFieldTop, rgb(255, 255, 255), 0.18f));

    // The well behind the band columns.
    const int wellTop = 38, wellBottom = 220;
    roundLayoutRect(scene, S, 16, wellTop - 1, w - 32, wellBottom - wellTop + 2, 7, kRim,
                    mix(kRim, kFieldBottom, 0.3f));
    roundLayoutRect(scene, S, 17, wellTop, w - 34, wellBottom - wellTop, 6, kWellTop, kWellBottom);
    fillLayoutRect(scene, S, 22, wellBottom + 1, w - 44, 1, mix(kFieldBottom, rgb(255, 255, 255), 0.12f));

    for (int c = 0; c < lay::kNumColumns; ++c) {
        const lay::Box& panel = lay::kPanels[c];
        scene.text(fonts.bold, 11.5f * f, (panel.left + 50) * f, (wellTop + 15) * f, kColumnHeadings[c], kHeading,
                   Align::Center);
        fillLayoutRect(scene, S, panel.left + 20, wellTop + 18, 60, 1, kAccentDark);
        for (int band = 0; band < 8; ++band) {
            const int left = S.at(panel.left);
            const int top = S.at(panel.top) + S.at(band * lay::kBandPitch);
            placeTrack(scene, track, S, left, top);
            placeKnob(scene, knob, knobMask, left + knobLeft(kColumnKnobValue[c], S), top + S.at(lay::kKnobTop));
            drawMarks(scene, S, left, top, kColumnMarks[c]);
        }
    }
    for (int band = 0; band < 8; ++band) {
        int top = lay::kPanels[0].top + band * lay::kBandPitch;
        scene.text(fonts.bold, 11.0f * f, 44 * f, (top + 10.5f) * f, std::to_string(band + 1), kLabel, Align::Center);
    }

    // Top strip: the band layout and the mix, each track with its label.
    const lay::Box& strip = lay::kPanels[lay::kTopStripPanel];
    for (int i = 0; i < 4; ++i) {
        const int left = S.at(strip.left) + S.at(lay::kTopSliders[i].left);
        const int top = S.at(strip.top);
        placeTrack(scene, track, S, left, top);
        placeKnob(scene, knob, knobMask, left + knobLeft(0.0f, S), top + S.at(lay::kKnobTop));
        float size = fonts.regular.width(kTopLabels[i], 10.5f) > 54 ? 9.5f : 10.5f;
        int layoutLeft = strip.left + lay::kTopSliders[i].left;
        scene.text(fonts.regular, size * f, (layoutLeft - 6) * f, (strip.top + 10) * f, kTopLabels[i], kLabel,
                   Align::Right);
    }

    // Product name, maker and the frame of the readout.
    scene.text(fonts.bold, 27 * f, 24 * f, 256 * f, "Vardelline", kHeading);
    scene.text(fonts.regular, 9.5f * f, 25 * f, 268 * f, "MULTIBAND  DELAY  /  CHORUS", kLabel);
    const lay::Box& readout = lay::kPanels[lay::kReadoutPanel];
    roundLayoutRect(scene, S, readout.left - 3, readout.top - 3, readout.width + 6, readout.height + 6, 3, kRim, kRim);
    fillLayoutRect(scene, S, readout.left - 1, readout.top + readout.height + 3, readout.width + 2, 1,
                   mix(kFieldBottom, rgb(255, 255, 255), 0.15f));
    const char* maker = "QuorvaneFX";
    float makerLeft = w - 24 - fonts.bold.width(maker, 15);
    // Bar heights 3 + 9 (0.5 + 0.5 sin(0.9 b + 0.6)), written out: a sine
    // here would bring the platform's maths library into the plug-in, whose
    // sound uses only its own.
    static constexpr float kBarLevels[8] = {0x1.414efap+3f, 0x1.7fa3a8p+3f, 0x1.514446p+3f, 0x1.b291cp+2f,
                                            0x1.c9f8fp+1f,  0x1.aabb1p+1f,  0x1.8f8738p+2f, 0x1.434b98p+3f};
    for (int b = 0; b < 8; ++b) {
        const float level = kBarLevels[b];
        scene.roundRect((makerLeft - 48 + b * 5) * f, (256 - level) * f, 3 * f, level * f, 1 * f, kAccent,
                        kAccentDark);
    }
    scene.text(fonts.bold, 15 * f, (w - 24) * f, 256 * f, maker, kHeading, Align::Right);
    scene.text(fonts.regular, 9.5f * f, (w - 24) * f, 268 * f, "8 BANDS  \xB7  STEREO", kLabel, Align::Right);
    return scene;
}

}  // namespace

Artwork drawArtwork(const Fonts& fonts, double scale) {
    const Scale S(scale);
    ArtCanvas track = drawTrack(S);
    std::vector<uint8_t> trackMask(static_cast<size_t>(track.width()) * track.height());
    for (int y = 0; y < track.height(); ++y) {
        for (int x = 0; x < track.width(); ++x)
            trackMask[static_cast<size_t>(y * track.width() + x)] = trackCorner(track, S, x, y);
    }
    std::vector<uint8_t> knobMask;
    ArtCanvas knob = drawKnob(track, S, knobMask);
    ArtCanvas readout = drawReadoutBack(S);
    ArtCanvas scene = drawScene(fonts, S, track, knob, knobMask);

    std::vector<ArtCanvas> columns;
    for (int c = 0; c < lay::kNumColumns; ++c) {
        const lay::Box& panel = lay::kPanels[c];
        columns.push_back(scene.crop(S.at(panel.left), S.at(panel.top), S.size(lay::kColumnPicture.width),
                                     S.size(lay::kColumnPicture.height)));
    }
    const lay::Box& strip = lay::kPanels[lay::kTopStripPanel];
    ArtCanvas topStrip = scene.crop(S.at(strip.left), S.at(strip.top), S.size(lay::kTopStripPicture.width),
                                    S.size(lay::kTopStripPicture.height));
    return Artwork{std::move(scene),   std::move(columns),  std::move(topStrip), std::move(track),
                   std::move(trackMask), std::move(knob), std::move(knobMask), std::move(readout)};
}

}  // namespace artgen
