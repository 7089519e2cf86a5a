// Chooses the platform window for a parent handle: an X11 child window where
// the library is built with X11, a Win32 child window on Windows, when the
// handle names a window; otherwise the headless one.
#include "editor/platform_window.h"

#include <cstdint>

#ifdef VARDELLINE_X11
#include "editor/x11/x11_window.h"
#endif
#ifdef _WIN32
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

}  // namespace vardelline::gui
