// Masked drawing of image-list entries.
#include "editor/image_list.h"

namespace vardelline::gui {

void ImageList::add(Surface image, std::vector<uint8_t> transparent) {
    size_t pixelCount = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    if (image.width() != width_ || image.height() != height_ || transparent.size() != pixelCount) return;
    images_.push_back(std::move(image));
    masks_.push_back(std::move(transparent));
}

void ImageList::draw(Surface& target, int x, int y, int index) const {
    if (index < 0 || index >= count()) return;
    const Surface& image = images_[static_cast<size_t>(index)];
    const std::vector<uint8_t>& mask = masks_[static_cast<size_t>(index)];
    Rect area = Rect::sized(x, y, width_, height_).intersect(target.bounds());
    for (int ty = area.top; ty < area.bottom; ++ty) {
        for (int tx = area.left; tx < area.right; ++tx) {
            size_t at = static_cast<size_t>(ty - y) * width_ + (tx - x);
            if (!mask[at]) target.setPixel(tx, ty, image.pixels()[at]);
        }
    }
}

}  // namespace vardelline::gui
