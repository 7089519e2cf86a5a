// The editor window: layout, strip painting, readout and mouse handling.
#include "editor/editor_window.h"

#include <algorithm>
#include <cstdio>

#include "editor/skin.h"
#include "model/value_text.h"

namespace vardelline {

using gui::Color;
using gui::Rect;

namespace {

constexpr int kTimerInterval = 25;  // ms
constexpr Color kStripBack = gui::kGrey;
constexpr int kCoarseRange = 80;  // pixels from the 0.0 end to the 1.0 end
constexpr int kOriginX = 10;      // strip pixel that stands for 0.0

// Component name of the strip of a band column.
std::string bandStripName(const layout::BandColumn& column, int band) {
    int index = column.firstIndex + band;
    for (const layout::NameException& exception : layout::kNameExceptions) {
        if (exception.index == index) return exception.name;
    }
    return column.prefix + std::to_string(band + 1);
}

// The value of a coarse drag at strip position X: one pixel is 1/80.
float coarseValue(int x) {
    long long offset = std::clamp<long long>(static_cast<long long>(x) - kOriginX, 0, kCoarseRange);
    return limit(static_cast<float>(static_cast<double>(offset) / kCoarseRange));
}

}  // namespace

TPluginEditorWindow::TPluginEditorWindow(double scaleFactor)
    : Form("PluginEditorWindow", gui::Scale(scaleFactor).size(layout::kClientWidth),
           gui::Scale(scaleFactor).size(layout::kClientHeight), gui::kSilver),
      scale(scaleFactor),
      art_(gui::skinFor(scale.factor())),
      Timer2(kTimerInterval),
      HBar(art_->track),
      Backslider("Backslider", scale.box(layout::kBackslider)),
      ISliderPos(art_->knob),
      Iprintout(art_->readoutBack),
      Image1("Image1", scale.box(layout::kBackgroundImage)),
      Panel1("Panel1", scale.box(layout::kPanels[0])),
      Image2("Image2", scale.box(layout::kColumnImage)),
      Panel2("Panel2", scale.box(layout::kPanels[1])),
      Image3("Image3", scale.box(layout::kColumnImage)),
      Panel3("Panel3", scale.box(layout::kPanels[2])),
      Image4("Image4", scale.box(layout::kColumnImage)),
      Panel4("Panel4", scale.box(layout::kPanels[3])),
      Image5("Image5", scale.box(layout::kColumnImage)),
      Panel5("Panel5", scale.box(layout::kPanels[4])),
      Image6("Image6", scale.box(layout::kColumnImage)),
      Panel6("Panel6", scale.box(layout::kPanels[5])),
      Image7("Image7", scale.box(layout::kColumnImage)),
      Panel7("Panel7", scale.box(layout::kPanels[layout::kTopStripPanel])),
      Image8("Image8", scale.box(layout::kTopStripImage)),
      Panel8("Panel8", scale.box(layout::kPanels[layout::kReadoutPanel])),
      printout("printout", scale.box(layout::kReadoutImage)) {
    for (std::atomic<float>& v : values) v.store(0.0f, std::memory_order_relaxed);
    for (float& v : drawnValues) v = 0.0f;

    const gui::Skin& art = *art_;
    Image1.setPicture(art.background);
    Image8.setPicture(art.topStrip);
    printout.canvas().font = &art.readoutFont;
    printout.canvas().fontColor = gui::kBlack;

    Backslider.setVisible(false);
    add(Image1);
    add(Backslider);
    gui::Panel* columns[layout::kNumColumns] = {&Panel1, &Panel2, &Panel3, &Panel4, &Panel5, &Panel6};
    gui::ImageControl* columnImages[layout::kNumColumns] = {&Image2, &Image3, &Image4, &Image5, &Image6, &Image7};
    for (int c = 0; c < layout::kNumColumns; ++c) {
        columnImages[c]->setPicture(art.columns[c]);
        columns[c]->add(*columnImages[c]);
        add(*columns[c]);
    }

    // Strips are placed in layout pixels; their handlers get layout pixels.
    auto makeStrip = [this](gui::Panel& panel, std::string name, int left, int top, int index) {
        auto strip = std::make_unique<gui::ImageControl>(
            std::move(name), Rect::sized(scale.at(left), scale.at(top), scale.size(layout::kStripWidth),
                                         scale.size(layout::kStripHeight)));
        strip->transparent = true;
        strip->handlers.press = [this](gui::Control& s, gui::MouseButton b, gui::ShiftState sh, int x, int y) {
            SetcontrolSelect(s, b, sh, scale.toLayout(x), scale.toLayout(y));
        };
        strip->handlers.move = [this](gui::Control& s, gui::ShiftState sh, int x, int y) {
            MoveControl(s, sh, scale.toLayout(x), scale.toLayout(y));
        };
        strip->handlers.release = [this](gui::Control& s, gui::MouseButton b, gui::ShiftState sh, int x, int y) {
            MouseUp(s, b, sh, scale.toLayout(x), scale.toLayout(y));
        };
        panel.add(*strip);
        strips_[index] = std::move(strip);
    };
    for (const layout::BandColumn& column : layout::kBandColumns) {
        for (int band = 0; band < kNumBands; ++band) {
            makeStrip(*columns[column.panel], bandStripName(column, band), 0, band * layout::kBandPitch,
                      column.firstIndex + band);
        }
    }
    Panel7.add(Image8);
    for (const layout::TopSlider& top : layout::kTopSliders) makeStrip(Panel7, top.name, top.left, 0, top.index);
    add(Panel7);
    Panel8.add(printout);
    add(Panel8);

    Timer2.onTimer = [this](gui::Timer& sender) { Timer2Timer(sender); };
    addTimer(Timer2);
    FormCreate();
}

gui::ImageControl* TPluginEditorWindow::strip(int index) {
    return index >= 0 && index < layout::kNumStrips ? strips_[index].get() : nullptr;
}

int TPluginEditorWindow::controlIndexOf(const std::string& name) const {
    for (int index = 0; index < layout::kNumStrips; ++index) {
        if (gui::sameName(name, strips_[index]->name().c_str())) return index;
    }
    return -1;
}

void TPluginEditorWindow::FormCreate() {
    PrintLabels("Vardelline : QuorvaneFX", "");
    for (float& v : drawnValues) v = -1.0f;
    gui::Panel* panels[] = {&Panel1, &Panel2, &Panel3, &Panel4, &Panel5, &Panel6, &Panel7, &Panel8};
    for (gui::Panel* panel : panels) panel->setDoubleBuffered(true);
}

void TPluginEditorWindow::PrintLabels(const char* name, const char* value) {
    char line[sizeof readoutLine_];
    std::snprintf(line, sizeof line, "%s :: %s", name ? name : "", value ? value : "");
    showReadoutLine(line);
}

void TPluginEditorWindow::showReadoutLine(const char* line) {
    if (line != readoutLine_) std::snprintf(readoutLine_, sizeof readoutLine_, "%s", line ? line : "");
    gui::Canvas& canvas = printout.canvas();
    canvas.drawImage(Iprintout, 0, 0, 0);
    canvas.textOut(scale.at(layout::kReadoutTextLeft), scale.at(layout::kReadoutTextTop), readoutLine_);
}

void TPluginEditorWindow::Clearscreen(gui::ImageControl& image, Color color) {
    image.canvas().brushColor = color;
    image.canvas().fillRect(Rect::sized(0, 0, image.width(), image.height()));
}

void TPluginEditorWindow::DrawHSlider(gui::ImageControl& target, int index) {
    // The knob travels in device pixels: finer steps at larger factors.
    const double f = scale.factor();
    int knob = RoundDown(static_cast<float>(static_cast<double>(value(index)) * kCoarseRange * f + 5.0 * f));
    Clearscreen(Backslider, kStripBack);
    gui::Canvas& back = Backslider.canvas();
    back.drawImage(HBar, 0, 0, 0);
    back.drawImage(ISliderPos, knob, scale.at(layout::kKnobTop), 0);
    Rect strip = Rect::sized(0, 0, scale.size(layout::kStripWidth), scale.size(layout::kStripHeight));
    target.canvas().copyRect(strip, back, strip);
}

void TPluginEditorWindow::SetControl(uint32_t index) {
    if (gui::ImageControl* target = strip(index < layout::kNumStrips ? static_cast<int>(index) : -1)) {
        DrawHSlider(*target, static_cast<int>(index));
    }
}

void TPluginEditorWindow::SetLabel(int32_t index) {
    char name[64];
    char text[64];
    // Only indices with a readout label reach value(), so it stays in range.
    if (!paramReadoutLabel(index, name, sizeof name) || !paramValueText(index, value(index), text, sizeof text)) return;
    PrintLabels(name, text);
}

void TPluginEditorWindow::SetcontrolSelect(gui::Control& sender, gui::MouseButton button, gui::ShiftState shift, int x,
                                           int /*y*/) {
    int index = controlIndexOf(sender.name());
    if (dragging) return;
    if (index >= 0) SetHSlider(index, x, button, shift);
}

void TPluginEditorWindow::MoveControl(gui::Control& sender, gui::ShiftState /*shift*/, int x, int /*y*/) {
    int index = controlIndexOf(sender.name());
    if (index >= 0) MoveHSlider(index, x);
}

void TPluginEditorWindow::MouseUp(gui::Control& /*sender*/, gui::MouseButton /*button*/, gui::ShiftState /*shift*/,
                                  int /*x*/, int /*y*/) {
    dragging = false;
    dragMode = -1;
    endGesture();
    if (!released()) SetAll();
}

void TPluginEditorWindow::cancelDrag() {
    releasePointer();
    dragging = false;
    dragMode = -1;
    endGesture();
}

bool TPluginEditorWindow::beginGesture(int index) {
    // Recorded before the host hears of it: a close from inside the
    // callback must find the gesture open to end it.
    editIndex_ = index;
    if (plugin != nullptr) plugin->beginEdit(index);
    return !released();
}

void TPluginEditorWindow::endGesture() {
    const int index = editIndex_;
    if (index < 0) return;
    editIndex_ = -1;
    if (plugin != nullptr) plugin->endEdit(index);
}

void TPluginEditorWindow::applyDrag(int index, float v) {
    values[index].store(v, std::memory_order_relaxed);
    if (plugin != nullptr) plugin->setParameterAutomated(index, v);
    if (released()) return;  // closed by the host from inside its callback
    SetControl(static_cast<uint32_t>(index));
    SetLabel(index);
}

void TPluginEditorWindow::SetHSlider(int index, int x, gui::MouseButton button, gui::ShiftState shift) {
    // The mouse reaches this only between drags; a direct call during one
    // still ends the open gesture before any other begins.
    endGesture();
    if (released()) return;
    dragMode = -1;
    dragging = false;
    if (button == gui::MouseButton::Left) dragMode = shift.shift ? 1 : 0;
    if (dragMode == 0) {
        dragging = true;
        if (beginGesture(index)) applyDrag(index, coarseValue(x));
    } else if (dragMode == 1) {
        dragging = true;
        dragStartValue = value(index);
        beginGesture(index);
    }
}

void TPluginEditorWindow::MoveHSlider(int index, int x) {
    if (!dragging) {
        SetLabel(index);
        return;
    }
    if (dragMode == 0) {
        applyDrag(index, coarseValue(x));
    } else if (dragMode == 1) {
        // Fine: 1/1000 per pixel from the strip's origin, not from the press.
        double v = (static_cast<double>(x) - kOriginX) / 1000.0 + dragStartValue;
        applyDrag(index, limit(static_cast<float>(v)));
    }
}

void TPluginEditorWindow::SetAll() {
    for (int i = 0; i < kNumParams; ++i) {
        float v = value(i);
        if (v != drawnValues[i]) SetControl(static_cast<uint32_t>(i));
        drawnValues[i] = v;
    }
}

void TPluginEditorWindow::Timer2Timer(gui::Timer& /*sender*/) {
    SetAll();
}

}  // namespace vardelline
