// The editor's window on X11: a borderless child of the host's window that
// shows the form's framebuffer and feeds it mouse events and elapsed time.
#pragma once

#include <memory>

#include "editor/platform_window.h"

namespace vardelline::gui {

class Form;

// A window inside parent (an X11 window id) on a display connection of its
// own. Null when no display can be opened, the parent is not a window or the
// screen has no true-colour visual; the caller then stays headless.
std::unique_ptr<PlatformWindow> createX11Window(unsigned long parent, Form& form);

}  // namespace vardelline::gui
