// Form: the outermost panel of a window. It owns the framebuffer that its
// controls are composed into, keeps the area waiting for a repaint, routes
// mouse events to the control under the pointer (the pressed control holds
// the mouse until a button is released) and runs its timers.
#pragma once

#include <memory>
#include <vector>

#include "editor/controls.h"
#include "editor/platform_window.h"
#include "editor/timer.h"

namespace vardelline::gui {

enum class PointerKind { Press, Move, Release };

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

    // The platform window that presents the framebuffer; not owned.
    void attach(PlatformWindow* window) { platform_ = window; }
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
    // own coordinates as if the pointer were over it.
    void dispatchPointer(const PointerEvent& event, Control* aimedAt = nullptr);

    void addTimer(Timer& timer) { timers_.push_back(&timer); }
    // Lets time pass for every timer; fireTimers ticks each enabled one once.
    void elapse(int ms);
    void fireTimers();

    // Finds a control by name (any case) among all descendants, or nullptr.
    Control* findControl(const char* name);

private:
    // The control that gets an event at window (x, y): the one holding the
    // mouse, else the one aimed at, else the one under the pointer.
    Control* target(int x, int y, Control* aimedAt);

    Surface framebuffer_;
    Rect pending_;
    PlatformWindow* platform_ = nullptr;
    Control* capture_ = nullptr;
    std::vector<Timer*> timers_;
};

}  // namespace vardelline::gui
