// Asks the X server's resources for Xft.dpi on a short-lived connection of
// our own, then looks at GDK_SCALE.
#include "editor/x11/x11_desktop_scale.h"

#include <cstdlib>

#include "editor/ui_scale.h"
#include "editor/x11/x_resources.h"

// Xlib last: its macros (None, Bool, Status, ...) must not meet our headers.
#include <X11/Xlib.h>

namespace vardelline::gui {

double x11DesktopScale() {
    if (Display* display = XOpenDisplay(nullptr)) {
        // The string belongs to the display; read it before closing.
        const double dpi = xftDpi(XResourceManagerString(display));
        XCloseDisplay(display);
        if (dpi > 0.0) return scaleForDpi(dpi);
    }
    double gdk = 0.0;
    if (parseScale(std::getenv("GDK_SCALE"), gdk) && gdk > 0.0) return gdk;
    return 0.0;
}

}  // namespace vardelline::gui
