// The desktop's scale factor on X11.
#pragma once

namespace vardelline::gui {

// From the Xft.dpi resource of the default display (96 dpi is 1), else from
// GDK_SCALE; 0 when neither says anything. Not yet made sane.
double x11DesktopScale();

}  // namespace vardelline::gui
