// Looks up the DPI functions of user32 by name, so that the DLL loads on
// every Windows the host runs on.
#include "editor/win32/win32_dpi.h"

#include <windows.h>

#include "editor/ui_scale.h"

namespace vardelline::gui {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)(HANDLE);
using IsValidDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE, by
// value: older headers lack them.
HANDLE const kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4));
HANDLE const kPerMonitor = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-3));

template <typename Fn>
Fn user32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (user32 == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

double win32DesktopScale(void* parent) {
    HWND window = static_cast<HWND>(parent);
    if (window != nullptr && IsWindow(window)) {
        if (auto getDpi = user32Function<GetDpiForWindowFn>("GetDpiForWindow")) {
            const UINT dpi = getDpi(window);
            if (dpi > 0) return scaleForDpi(dpi);
        }
    }
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return 0.0;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? scaleForDpi(dpi) : 0.0;
}

PerMonitorDpiScope::PerMonitorDpiScope() {
    auto setContext = user32Function<SetThreadDpiAwarenessContextFn>("SetThreadDpiAwarenessContext");
    auto isValid = user32Function<IsValidDpiAwarenessContextFn>("IsValidDpiAwarenessContext");
    if (setContext == nullptr) return;
    HANDLE wanted = (isValid != nullptr && isValid(kPerMonitorV2)) ? kPerMonitorV2 : kPerMonitor;
    previous_ = setContext(wanted);
    changed_ = previous_ != nullptr;
}

PerMonitorDpiScope::~PerMonitorDpiScope() {
    if (!changed_) return;
    if (auto setContext = user32Function<SetThreadDpiAwarenessContextFn>("SetThreadDpiAwarenessContext"))
        setContext(static_cast<HANDLE>(previous_));
}

}  // namespace vardelline::gui
