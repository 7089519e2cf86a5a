// ImageList: images of one size, each with a one-bit mask, drawn onto a
// surface through the mask (a set mask bit leaves the target pixel as it is).
#pragma once

#include <cstdint>
#include <vector>

#include "editor/surface.h"

namespace vardelline::gui {

class ImageList {
public:
    ImageList(int width, int height) : width_(width), height_(height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    int count() const { return static_cast<int>(images_.size()); }

    // Adds an image of the list's size; transparent holds one byte per
    // pixel, non-zero where the target shows through. Wrong sizes are ignored.
    void add(Surface image, std::vector<uint8_t> transparent);

    // Draws image index with its top-left at (x, y); unknown indices draw nothing.
    void draw(Surface& target, int x, int y, int index) const;

private:
    int width_;
    int height_;
    std::vector<Surface> images_;
    std::vector<std::vector<uint8_t>> masks_;
};

}  // namespace vardelline::gui
