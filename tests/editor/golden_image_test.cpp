// The whole window compared pixel for pixel with a stored picture. After an
// intended change of the artwork or the drawing, rewrite the picture with
//   VARDELLINE_UPDATE_GOLDEN=1 ctest -R GoldenImage
// and look at it before committing.
#include <cstdlib>
#include <string>
#include <vector>

#include "window_fixture.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

namespace vardelline::testing {
namespace {

std::vector<unsigned char> toRgb(const gui::Surface& frame) {
    std::vector<unsigned char> bytes;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            gui::Color c = frame.pixel(x, y);
            bytes.push_back(static_cast<unsigned char>(gui::redOf(c)));
            bytes.push_back(static_cast<unsigned char>(gui::greenOf(c)));
            bytes.push_back(static_cast<unsigned char>(gui::blueOf(c)));
        }
    }
    return bytes;
}

bool writePng(const std::string& path, const gui::Surface& frame) {
    std::vector<unsigned char> bytes = toRgb(frame);
    return stbi_write_png(path.c_str(), frame.width(), frame.height(), 3, bytes.data(), frame.width() * 3) != 0;
}

// Loads path and counts the pixels that differ from frame; -1 when the
// picture is missing or of another size.
long differingPixels(const std::string& path, const gui::Surface& frame) {
    int width = 0, height = 0, channels = 0;
    unsigned char* stored = stbi_load(path.c_str(), &width, &height, &channels, 3);
    if (stored == nullptr) return -1;
    long differ = -1;
    if (width == frame.width() && height == frame.height()) {
        std::vector<unsigned char> actual = toRgb(frame);
        differ = 0;
        for (size_t i = 0; i < actual.size(); i += 3) {
            if (actual[i] != stored[i] || actual[i + 1] != stored[i + 1] || actual[i + 2] != stored[i + 2]) ++differ;
        }
    }
    stbi_image_free(stored);
    return differ;
}

using GoldenImageTest = WindowTest;

TEST_F(GoldenImageTest, WindowMatchesTheStoredPicture) {
    setVariedValues(effect, window);
    window.SetAll();
    press("HsPan3", 50);
    release("HsPan3", 50);
    window.repaintPending();

    const std::string golden = std::string(VARDELLINE_GOLDEN_DIR) + "/editor_window.png";
    if (std::getenv("VARDELLINE_UPDATE_GOLDEN") != nullptr) {
        ASSERT_TRUE(writePng(golden, window.framebuffer()));
        GTEST_SKIP() << "rewrote " << golden;
    }
    long differ = differingPixels(golden, window.framebuffer());
    if (differ != 0) {
        const std::string actual = ::testing::TempDir() + "editor_window_actual.png";
        writePng(actual, window.framebuffer());
        ADD_FAILURE() << differ << " pixels differ from " << golden
                      << " (-1: missing or other size); the window as drawn now is in " << actual;
    }
}

}  // namespace
}  // namespace vardelline::testing
