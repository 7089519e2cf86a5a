// Reduces the generator's pictures to one shared 256-colour palette
// (median cut over the colours of all of them), so that pictures that meet
// on screen map the same colour to the same entry.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace artgen {

class PaletteBuilder {
public:
    // Counts the 0xRRGGBB colours of a picture.
    void add(const std::vector<uint32_t>& pixels);
    // At most 256 colours: the colours themselves when there are few enough.
    std::vector<uint32_t> build() const;

private:
    std::map<uint32_t, uint64_t> histogram_;
};

// Palette index of each pixel (nearest colour by squared distance).
std::vector<uint8_t> mapToPalette(const std::vector<uint32_t>& pixels, const std::vector<uint32_t>& palette);

}  // namespace artgen
