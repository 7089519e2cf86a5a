// The drawing layer under awkward input: rectangles and images partly or
// wholly outside a bitmap, text running past its edge, colour keys, lazily
// created bitmaps and timers that fall behind.
#include <gtest/gtest.h>

#include "editor/controls.h"
#include "editor/skin.h"
#include "editor/timer.h"

namespace vardelline::gui {
namespace {

TEST(DrawingLayer, OperationsClipToTheBitmap) {
    Surface target(10, 6, kBlack);
    target.fillRect({-5, -5, 3, 2}, kWhite);
    target.fillRect({8, 4, 50, 50}, kWhite);
    target.fillRect({7, 1, 2, 0}, kWhite);  // inverted: nothing
    EXPECT_EQ(target.pixel(0, 0), kWhite);
    EXPECT_EQ(target.pixel(3, 0), kBlack);
    EXPECT_EQ(target.pixel(9, 5), kWhite);
    EXPECT_EQ(target.pixel(7, 1), kBlack);
    EXPECT_EQ(target.pixel(-1, 0), 0u);
    EXPECT_EQ(target.pixel(10, 0), 0u);

    Surface source(4, 4, kSilver);
    // The source rectangle starts outside the source: its corner (-2, -2)
    // lands on (-1, 2), so the source's own pixels cover (1..4, 4..5).
    target.copyFrom(source, {-2, -2, 100, 100}, -1, 2);
    target.copyFrom(source, source.bounds(), 1000, -1000);
    EXPECT_EQ(target.pixel(0, 4), kBlack);
    EXPECT_EQ(target.pixel(1, 4), kSilver);
    EXPECT_EQ(target.pixel(4, 5), kSilver);
    EXPECT_EQ(target.pixel(5, 4), kBlack);

    ImageList list(4, 4);
    list.add(Surface(3, 3), std::vector<uint8_t>(9));  // wrong size: refused
    EXPECT_EQ(list.count(), 0);
    list.add(Surface(4, 4, kGrey), std::vector<uint8_t>(16, 0));
    list.draw(target, 8, -2, 0);
    list.draw(target, 0, 0, 5);  // unknown image
    list.draw(target, 0, 0, -1);
    EXPECT_EQ(target.pixel(9, 1), kGrey);
    EXPECT_EQ(target.pixel(4, 3), kBlack);
}

TEST(DrawingLayer, ColourKeyLeavesOutOnlyThatColour) {
    Surface source(3, 1);
    source.setPixel(0, 0, kGrey);
    source.setPixel(1, 0, kGrey & 0x00FFFFFFu);  // same colour, alpha ignored
    source.setPixel(2, 0, kSilver);
    Surface target(3, 1, kBlack);
    target.copyKeyed(source, source.bounds(), 0, 0, target.bounds(), kGrey);
    EXPECT_EQ(target.pixel(0, 0), kBlack);
    EXPECT_EQ(target.pixel(1, 0), kBlack);
    EXPECT_EQ(target.pixel(2, 0), kSilver);
}

TEST(DrawingLayer, TextPastTheEdgeIsClipped) {
    const TextFont& font = skin().readoutFont;
    ASSERT_TRUE(font.valid());
    Surface small(12, 5, kWhite);
    font.draw(small, -30, -6, "Band 8: Right Delay :: 160 ms \x01\xff", kBlack);
    font.draw(small, 11, 4, "WWWWWWWWWWWWWWWW", kBlack);
    font.draw(small, 0, 0, nullptr, kBlack);
    EXPECT_EQ(font.textWidth("\x80"), font.textWidth("?"));
    TextFont broken(reinterpret_cast<const unsigned char*>("not a font at all"), 17, 11.0f);
    EXPECT_FALSE(broken.valid());
    broken.draw(small, 0, 0, "x", kBlack);
    EXPECT_EQ(broken.textWidth("x"), 0);
}

TEST(DrawingLayer, FirstDrawingGivesAControlAWhiteBitmapOfItsSize) {
    ImageControl image("Image", Rect::sized(5, 5, 7, 3));
    EXPECT_TRUE(image.picture().empty());
    image.canvas().brushColor = kGrey;
    image.canvas().fillRect({0, 0, 2, 1});
    ASSERT_EQ(image.picture().width(), 7);
    ASSERT_EQ(image.picture().height(), 3);
    EXPECT_EQ(image.picture().pixel(0, 0), kGrey);
    EXPECT_EQ(image.picture().pixel(6, 2), kWhite);
}

TEST(DrawingLayer, ATimerThatFallsBehindFiresOncePerCall) {
    Timer timer(25);
    int ticks = 0;
    timer.onTimer = [&ticks](Timer&) { ++ticks; };
    timer.elapse(10);
    EXPECT_EQ(ticks, 0);
    timer.elapse(500);
    EXPECT_EQ(ticks, 1);
    timer.elapse(-5);
    timer.enabled = false;
    timer.elapse(100);
    timer.fire();
    EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace vardelline::gui
