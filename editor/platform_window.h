// PlatformWindow: what a window system gives the editor. It presents the
// composed framebuffer and is shown, hidden and moved inside the host's
// window; it delivers mouse and timer events by calling the Form when the
// host's idle lets it. The headless one has no screen: the framebuffer is
// the picture.
#pragma once

#include <functional>
#include <memory>

#include "editor/surface.h"

namespace vardelline::gui {

class Form;

class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;
    // frame is complete; area is the part that changed since the last call.
    virtual void present(const Surface& frame, const Rect& area) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void moveTo(int x, int y) = 0;
    // Moves the window into another parent handle, for a host that opens
    // the editor again in a new window of its own without closing it first.
    virtual void adoptParent(void* /*parent*/) {}
    // The window system's own handle of the window (an X11 window id, an
    // HWND), for hosts that embed it by handle; null when there is none.
    virtual void* nativeHandle() const { return nullptr; }
    // Hands the form what the window system delivered since the last call
    // (mouse events, time for its timers) without waiting for more. Runs on
    // the window's thread, from the host's idle.
    virtual void processEvents() {}
    // Lets go of a mouse capture or grab held since a press, without a
    // release reaching the form (the form is ending the press itself).
    virtual void releasePointer() {}
    // The descriptor that becomes readable when the window system has
    // events for processEvents (the X11 connection), or -1 if there is none.
    virtual int eventDescriptor() const { return -1; }
};

class HeadlessWindow : public PlatformWindow {
public:
    void present(const Surface&, const Rect&) override { ++presentCount; }
    void setVisible(bool visible) override { shown = visible; }
    void moveTo(int x, int y) override {
        left = x;
        top = y;
    }

    bool shown = false;
    int left = 0;
    int top = 0;
    int presentCount = 0;
};

// The window for a host's native parent handle, presenting form and feeding
// it events, each batch inside a Form::EventScope. Without a window system
// (or with a null or unusable handle) this is a HeadlessWindow.
std::unique_ptr<PlatformWindow> createPlatformWindow(void* parent, Form& form);

// The scale factor the desktop asks for, for a window inside parent (null
// before the host has given one): X11's Xft.dpi or GDK_SCALE, the DPI of
// the parent window on Windows. 0 when the window system says nothing or
// there is none. Not yet made sane.
double desktopScale(void* parent);

// The factor an editor opens at, first that applies: hostFactor when above
// 0 (the host's own word), VARDELLINE_UI_SCALE (the user's), desktop() when
// above 0; else 1. Made sane.
double chooseScale(double hostFactor, const std::function<double()>& desktop);

}  // namespace vardelline::gui
