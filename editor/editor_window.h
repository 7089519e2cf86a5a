// TPluginEditorWindow: the editor's skinned window of 52 slider strips and a
// one-line readout. It paints only from its own copy of the parameter values
// and reaches the effect only through setParameterAutomated.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "editor/form.h"
#include "editor/layout.h"
#include "editor/skin.h"
#include "editor/ui_scale.h"
#include "model/parameters.h"

namespace vardelline {

// What the window needs of the effect: a parameter change that the host
// also hears about as automation, and the start and end of the gesture that
// makes such changes, so that the host can record it as touch automation.
// Each call may reach the host, which may close the window from inside it.
class AutomationTarget {
public:
    virtual ~AutomationTarget() = default;
    virtual void setParameterAutomated(int index, float value) = 0;
    virtual void beginEdit(int index) = 0;
    virtual void endEdit(int index) = 0;
};

// The window is laid out in layout pixels and drawn at a scale factor (1 to
// 3): its controls, pictures and text are device pixels, and the mouse
// handlers get positions converted back to layout pixels, so that a press or
// drag selects the same values at every factor.
class TPluginEditorWindow : public gui::Form {
public:
    explicit TPluginEditorWindow(double scaleFactor = 1.0);

    // The factor the window is drawn at (made sane).
    const gui::Scale scale;

private:
    std::shared_ptr<const gui::Skin> art_;

public:

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

    // The strip of a control index 0..51, or nullptr.
    gui::ImageControl* strip(int index);
    // The control index of a strip's component name, any case, or -1.
    int controlIndexOf(const std::string& name) const;

    // The readout line last printed, as text.
    const char* readoutText() const { return readoutLine_; }
    // Prints a whole readout line as it is, such as the one another window
    // showed before this one took its place.
    void showReadoutLine(const char* line);

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
    // The window closes or hides while a drag runs: it lets go of the mouse
    // and ends the drag, telling the host the gesture is over.
    void cancelDrag();

    // Redraws every strip whose value changed since the last look.
    void SetAll();
    void Timer2Timer(gui::Timer& sender);

private:
    float value(int index) const { return values[index].load(std::memory_order_relaxed); }
    // Stores a new value from a drag and hands it to the effect, then shows it.
    void applyDrag(int index, float v);
    // Tell the host a gesture on index starts / the open one ends. False
    // when the host closed the window meanwhile: the caller stops there.
    bool beginGesture(int index);
    void endGesture();

    std::unique_ptr<gui::ImageControl> strips_[layout::kNumStrips];
    char readoutLine_[256] = {};
    // The parameter whose gesture the host has been told of, or -1; a
    // gesture is open only while dragging.
    int editIndex_ = -1;
};

}  // namespace vardelline
