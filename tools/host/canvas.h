// A small RGB drawing surface for the host's pictures: rectangles, lines and
// text in stb_easy_font's built-in font, scaled by whole pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vardelline::host {

struct Colour {
    uint8_t r, g, b;
};

class Canvas {
public:
    Canvas(int width, int height, Colour background);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<unsigned char>& rgb() const { return rgb_; }
    Colour pixel(int x, int y) const;

    // Everything outside the canvas is left out.
    void fillRect(int x, int y, int width, int height, Colour colour);
    void line(double x0, double y0, double x1, double y1, Colour colour, int thickness = 1);
    // The text's top left corner at x, y.
    void text(int x, int y, const std::string& text, Colour colour, int scale = 1);
    static int textWidth(const std::string& text, int scale = 1);
    static int textHeight(int scale = 1);

private:
    int width_, height_;
    std::vector<unsigned char> rgb_;
};

}  // namespace vardelline::host
