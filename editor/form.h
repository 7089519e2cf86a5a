// Form: the outermost panel of a window. It owns the framebuffer that its
// controls are composed into and the platform window that shows it, keeps
// the area waiting for a repaint, routes mouse events to the control under
// the pointer (the pressed control holds the mouse until a button is
// released or the window system takes the mouse away) and runs its timers.
//
// An event handler may lead out of the plug-in to the host, and the host may
// close the editor right there. So whatever hands events to a form marks
// that with an EventScope, and a form let go of with release() meanwhile is
// destroyed only when the outermost scope ends; until then it stays whole,
// and released() tells the code on the way back not to go on.
#pragma once

#include <memory>
#include <vector>

#include "editor/controls.h"
#include "editor/platform_window.h"
#include "editor/timer.h"

namespace vardelline::gui {

// CaptureLost: the window system took the mouse away while a button was
// down (a grab or capture ended without a release reaching the window).
enum class PointerKind { Press, Move, Release, CaptureLost };

struct PointerEvent {
    PointerKind kind = PointerKind::Move;
    int x = 0;
    int y = 0;
    MouseButton button = MouseButton::Left;  // press and release only
    ShiftState shift;
};

class Form : public Panel {
public:
    Form(std::string name, int width, int height, Color color);

    const Surface& framebuffer() const { return framebuffer_; }

    // The platform window that presents the framebuffer and feeds events.
    void attach(std::unique_ptr<PlatformWindow> window) { platform_ = std::move(window); }
    PlatformWindow* platform() const { return platform_.get(); }
    void show();
    void hide();
    void moveTo(int x, int y);

    using Panel::invalidate;
    void invalidate(const Rect& area) override;
    const Rect& pendingArea() const { return pending_; }
    // Composes whatever waits for a repaint and presents it.
    void repaintPending();

    // A mouse event at window coordinates (also outside the window while a
    // control holds the mouse), or, when aimedAt is given, at that control's
    // own coordinates as if the pointer were over it. On CaptureLost the
    // control holding the mouse gets the release it will never see, at the
    // pointer's last position; nothing happens while no control holds it.
    void dispatchPointer(const PointerEvent& event, Control* aimedAt = nullptr);
    // The window lets go of the mouse without telling the control holding
    // it (its owner ends what the press began); the platform window
    // releases its capture or grab.
    void releasePointer();

    void addTimer(Timer& timer) { timers_.push_back(&timer); }
    // Lets time pass for every timer; fireTimers ticks each enabled one once.
    void elapse(int ms);
    void fireTimers();

    // Finds a control by name (any case) among all descendants, or nullptr.
    Control* findControl(const char* name);

    // Marks an event being handed to the form, for as long as it lives.
    class EventScope {
    public:
        explicit EventScope(Form& form) : form_(form) { ++form_.eventDepth_; }
        ~EventScope();
        EventScope(const EventScope&) = delete;
        EventScope& operator=(const EventScope&) = delete;

    private:
        Form& form_;
    };

    // Destroys the form and its platform window now, or, while an event is
    // being handed to it, when the outermost EventScope ends.
    static void release(std::unique_ptr<Form> form);
    // True once release() has been called: the form is on its way out.
    bool released() const { return released_; }

private:
    // The control that gets an event at window (x, y): the one holding the
    // mouse, else the one aimed at, else the one under the pointer.
    Control* target(int x, int y, Control* aimedAt);
    void cancelPointer();

    Surface framebuffer_;
    Rect pending_;
    std::unique_ptr<PlatformWindow> platform_;
    Control* capture_ = nullptr;
    MouseButton captureButton_ = MouseButton::Left;
    // Where the pointer was last seen, in window coordinates.
    int lastX_ = 0;
    int lastY_ = 0;
    std::vector<Timer*> timers_;
    int eventDepth_ = 0;
    bool released_ = false;
};

}  // namespace vardelline::gui
