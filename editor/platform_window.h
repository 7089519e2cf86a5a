// PlatformWindow: what a window system gives the editor. It presents the
// composed framebuffer and is shown, hidden and moved inside the host's
// window; it delivers mouse and timer events by calling the Form. The
// headless one has no screen: the framebuffer is the picture.
#pragma once

#include <memory>

#include "editor/surface.h"

namespace vardelline::gui {

class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;
    // frame is complete; area is the part that changed since the last call.
    virtual void present(const Surface& frame, const Rect& area) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual void moveTo(int x, int y) = 0;
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

// The window for a host's native parent handle. Without a window system
// (or a null handle) this is a HeadlessWindow.
std::unique_ptr<PlatformWindow> createPlatformWindow(void* parent);

}  // namespace vardelline::gui
