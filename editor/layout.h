// Where everything of the editor window sits: client size, panels, slider
// strips with their component names and control indices, the readout and
// the hidden composition surface. The window and the picture generator both
// read these tables, so pictures and controls always line up.
#pragma once

namespace vardelline::layout {

constexpr int kClientWidth = 731;
constexpr int kClientHeight = 278;

constexpr int kStripWidth = 100;
constexpr int kStripHeight = 13;
constexpr int kBandPitch = 20;  // vertical distance between band strips
constexpr int kKnobSize = 9;
constexpr int kKnobTop = 2;
constexpr int kNumStrips = 52;

struct Box {
    int left;
    int top;
    int width;
    int height;
};

// Panel1 to Panel8, positions in the window.
constexpr int kNumPanels = 8;
constexpr Box kPanels[kNumPanels] = {
    {60, 60, 100, 153},  {170, 60, 100, 153}, {390, 60, 100, 153}, {280, 60, 100, 153},
    {500, 60, 100, 153}, {610, 60, 100, 153}, {60, 20, 612, 13},   {260, 240, 200, 23},
};
constexpr int kNumColumns = 6;  // Panel1 to Panel6 hold the band columns
constexpr int kTopStripPanel = 6;
constexpr int kReadoutPanel = 7;

// Pictures and the image controls that show them (positions in their panel).
constexpr Box kBackgroundImage = {0, 0, 731, 281};
constexpr Box kBackgroundPicture = {0, 0, 731, 275};
constexpr Box kColumnImage = {0, 0, 105, 153};
constexpr Box kColumnPicture = {0, 0, 100, 153};
constexpr Box kTopStripImage = {0, 0, 613, 13};
constexpr Box kTopStripPicture = {0, 0, 612, 13};
constexpr Box kReadoutImage = {0, 0, 201, 23};
constexpr Box kReadoutPicture = {0, 0, 200, 23};
constexpr Box kBackslider = {480, 250, 105, 13};
constexpr int kReadoutTextLeft = 8;
constexpr int kReadoutTextTop = 3;

// One band column: its strips are named prefix + band (1 to 8) and set the
// control indices firstIndex to firstIndex + 7.
struct BandColumn {
    const char* prefix;
    int panel;
    int firstIndex;
};
constexpr BandColumn kBandColumns[kNumColumns] = {
    {"HsLeft", 0, 3}, {"HsRight", 1, 11}, {"HsPan", 3, 19}, {"HsSpeed", 2, 27}, {"HsWidth", 4, 35}, {"HsFeed", 5, 43},
};
// Two strips whose component names are capitalised differently.
struct NameException {
    int index;
    const char* name;
};
constexpr NameException kNameExceptions[] = {{4, "HSLeft2"}, {28, "HSSpeed2"}};

// The four strips of the top panel (positions in Panel7).
struct TopSlider {
    const char* name;
    int left;
    int index;
};
constexpr TopSlider kTopSliders[4] = {{"Hstart", 0, 0}, {"HFinish", 170, 1}, {"HQ", 330, 2}, {"HWet", 492, 51}};

}  // namespace vardelline::layout
