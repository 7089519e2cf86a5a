// Chooses the platform window for a parent handle: an X11 child window where
// the library is built with X11, a Win32 child window on Windows, when the
// handle names a window; otherwise the headless one.
#include "editor/platform_window.h"

#include <cstdint>
#include <cstdlib>

#include "editor/ui_scale.h"

#ifdef VARDELLINE_X11
#include "editor/x11/x11_desktop_scale.h"
#include "editor/x11/x11_window.h"
#endif
#ifdef _WIN32
#include "editor/win32/win32_dpi.h"
#include "editor/win32/win32_window.h"
#endif

namespace vardelline::gui {

std::unique_ptr<PlatformWindow> createPlatformWindow(void* parent, [[maybe_unused]] Form& form) {
#ifdef _WIN32
    // On Windows the host's handle is the parent's HWND.
    if (parent != nullptr) {
        if (auto window = createWin32Window(parent, form)) return window;
    }
#endif
#ifdef VARDELLINE_X11
    // On Linux the host's handle is the parent's X11 window id.
    if (parent != nullptr) {
        if (auto window = createX11Window(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parent)), form))
            return window;
    }
#else
    (void)parent;
#endif
    return std::make_unique<HeadlessWindow>();
}

double desktopScale([[maybe_unused]] void* parent) {
#ifdef _WIN32
    return win32DesktopScale(parent);
#elif defined(VARDELLINE_X11)
    return x11DesktopScale();
#else
    return 0.0;
#endif
}

double chooseScale(double hostFactor, const std::function<double()>& desktop) {
    if (hostFactor > 0.0) return saneScale(hostFactor);
    double user = 0.0;
    if (parseScale(std::getenv("VARDELLINE_UI_SCALE"), user)) return saneScale(user);
    const double seen = desktop ? desktop() : 0.0;
    return seen > 0.0 ? saneScale(seen) : 1.0;
}

}  // namespace vardelline::gui
