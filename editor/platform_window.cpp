// Chooses the platform window for a parent handle; only the headless one
// exists so far, so every handle gets it.
#include "editor/platform_window.h"

namespace vardelline::gui {

std::unique_ptr<PlatformWindow> createPlatformWindow(void* /*parent*/) { return std::make_unique<HeadlessWindow>(); }

}  // namespace vardelline::gui
