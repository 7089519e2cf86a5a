// The editor's window on Windows: a borderless child of the host's window
// that shows the form's framebuffer and feeds it mouse events and timer ticks
// from the host's own message loop.
#pragma once

#include <memory>

#include "editor/platform_window.h"

namespace vardelline::gui {

class Form;

// A window at (0, 0) inside parent (an HWND) with the form's size, hidden
// until shown. Null when parent is not a window or the window cannot be made;
// the caller then stays headless. Create, use and destroy it on one thread.
std::unique_ptr<PlatformWindow> createWin32Window(void* parent, Form& form);

}  // namespace vardelline::gui
