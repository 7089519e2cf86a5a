// TPluginEditorWindow: the editor's skinned window of 52 slider strips and a
// one-line readout. It paints only from its own copy of the parameter values
// and reaches the effect only through setParameterAutomated.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "editor/form.h"
#include "editor/layout.h"
#include "model/parameters.h"

namespace vardelline {

// What the window needs of the effect: a parameter change that the host
// also hears about as automation, and the start and end of a drag, for
// formats that bracket a drag's changes as one gesture.
class AutomationTarget {
public:
    virtual ~AutomationTarget() = default;
    virtual void setParameterAutomated(int index, float value) = 0;
    virtual void beginEdit(int /*index*/) {}
    virtual void endEdit(int /*index*/) {}
};

class TPluginEditorWindow : public gui::Form {
public:
    TPluginEditorWindow();

    // Components, in layout order. The strips are reached by control index
    // through strip() or by component name through findControl().
    gui::Timer Timer2;
    gui::ImageList HBar;
    gui::ImageControl Backslider;
    gui::ImageList ISliderPos;
    gui::ImageList Iprintout;
    gui::ImageControl Image1;
    gui::Panel Panel1;
    gui::ImageControl Image2;
    gui::Panel Panel2;
    gui::ImageControl Image3;
    gui::Panel Panel3;
    gui::ImageControl Image4;
    gui::Panel Panel4;
    gui::ImageControl Image5;
    gui::Panel Panel5;
    gui::ImageControl Image6;
    gui::Panel Panel6;
    gui::ImageControl Image7;
    gui::Panel Panel7;
    gui::ImageControl Image8;
    gui::Panel Panel8;
    gui::ImageControl printout;

    // Set by the editor adaptor right after creation; not owned.
    AutomationTarget* plugin = nullptr;
    // -1: the last press was not a left press; 0: coarse drag; 1: fine drag.
    int32_t dragMode = 0;
    // The window's copy of the effect's parameters. Written by the adaptor's
    // update on whichever thread sets a parameter, and by drags on the
    // window's thread; read by painting on the window's thread.
    std::atomic<float> values[kNumParamSlots];
    // The value each index had when SetAll last looked; window thread only.
    float drawnValues[kNumParams];
    float dragStartValue = 0.0f;
    bool dragging = false;
    // The control index being dragged, while dragging.
    int dragIndex = -1;

    // The strip of a control index 0..51, or nullptr.
    gui::ImageControl* strip(int index);
    // The control index of a strip's component name, any case, or -1.
    int controlIndexOf(const std::string& name) const;

    // The readout line last printed, as text.
    const char* readoutText() const { return readoutLine_; }

    // Start-up, run by the constructor.
    void FormCreate();

    // Painting (window thread).
    void PrintLabels(const char* name, const char* value);
    void Clearscreen(gui::ImageControl& image, gui::Color color);
    void DrawHSlider(gui::ImageControl& target, int index);
    void SetControl(uint32_t index);
    void SetLabel(int32_t index);

    // Mouse handlers of every strip.
    void SetcontrolSelect(gui::Control& sender, gui::MouseButton button, gui::ShiftState shift, int x, int y);
    void MoveControl(gui::Control& sender, gui::ShiftState shift, int x, int y);
    void MouseUp(gui::Control& sender, gui::MouseButton button, gui::ShiftState shift, int x, int y);
    void SetHSlider(int index, int x, gui::MouseButton button, gui::ShiftState shift);
    void MoveHSlider(int index, int x);

    // Redraws every strip whose value changed since the last look.
    void SetAll();
    void Timer2Timer(gui::Timer& sender);

private:
    float value(int index) const { return values[index].load(std::memory_order_relaxed); }
    // Stores a new value from a drag and hands it to the effect, then shows it.
    void applyDrag(int index, float v);

    std::unique_ptr<gui::ImageControl> strips_[layout::kNumStrips];
    char readoutLine_[256] = {};
};

}  // namespace vardelline
