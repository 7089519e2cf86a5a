// DPI on Windows: the scale the desktop asks for, and per-monitor DPI
// awareness for our own window only. Every function used that older
// Windows lacks is looked up at run time.
#pragma once

namespace vardelline::gui {

// The DPI of parent (an HWND, or null) over 96: GetDpiForWindow where
// Windows has it, else the screen's LOGPIXELSX. 0 when neither answers.
double win32DesktopScale(void* parent);

// While one lives, windows this thread creates are per-monitor DPI aware
// (they get device pixels, unscaled by Windows); the host process's own
// awareness is left alone. Without the thread DPI context it does nothing.
class PerMonitorDpiScope {
public:
    PerMonitorDpiScope();
    ~PerMonitorDpiScope();
    PerMonitorDpiScope(const PerMonitorDpiScope&) = delete;
    PerMonitorDpiScope& operator=(const PerMonitorDpiScope&) = delete;

private:
    void* previous_ = nullptr;
    bool changed_ = false;
};

}  // namespace vardelline::gui
