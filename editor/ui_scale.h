// The editor's scale factor: the layout is designed in layout pixels (the
// window is 731 x 278 of them) and drawn in device pixels, factor times as
// many. Positions and sizes are scaled separately and rounded to whole
// device pixels, so that every strip, picture and knob of one kind has the
// same device size and edges fall on pixel boundaries.
#pragma once

#include "editor/layout.h"
#include "editor/pixels.h"

namespace vardelline::gui {

constexpr double kMinScale = 1.0;
constexpr double kMaxScale = 3.0;

// The nearest factor the editor draws at: 1..3; NaN and anything not above
// zero give 1.
double saneScale(double factor);

// A factor from text such as "1.5" (an environment variable); false for
// text that is not a whole number. The result is not yet made sane.
bool parseScale(const char* text, double& factor);

// Dots per inch to a factor: 96 is 1, 192 is 2. Not made sane.
inline double scaleForDpi(double dpi) {
    return dpi / 96.0;
}

class Scale {
public:
    explicit Scale(double factor = 1.0) : factor_(saneScale(factor)) {}

    double factor() const { return factor_; }
    bool isOne() const { return factor_ == 1.0; }

    // A layout position in device pixels.
    int at(double layoutPixels) const;
    // A layout length in device pixels, at least one for a positive length.
    int size(double layoutPixels) const;
    Rect box(const layout::Box& b) const { return Rect::sized(at(b.left), at(b.top), size(b.width), size(b.height)); }
    // The layout pixel that holds a device position (rounded down, also
    // for positions left of or above the origin).
    int toLayout(int devicePixels) const;

private:
    double factor_;
};

}  // namespace vardelline::gui
