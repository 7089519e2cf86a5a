// Reading the desktop's scale from X resources (the text of the root
// window's RESOURCE_MANAGER property, as XResourceManagerString gives it).
// Plain text work, without Xlib, so that it can be tested on its own.
#pragma once

namespace vardelline::gui {

// The value of the "Xft.dpi" resource, or 0 when resources is null, has no
// such line or its value is not a positive number.
double xftDpi(const char* resources);

}  // namespace vardelline::gui
