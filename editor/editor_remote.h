// The records with which a host drives and pictures the editor without a
// window system: the window's picture, and a mouse event at window
// coordinates or at a named control. Every edition carries them through its
// own binary interface (vst/editor_remote.h, clap/abi/editor_remote.h), so
// their layout is pinned here once for all of them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vardelline::remote {

// The window's picture once it has repainted what was pending. The pixels
// are 0xAARRGGBB, rows top to bottom, stride in pixels; they stay valid
// until the next request to the editor or its close.
struct EditorFramebuffer {
    int32_t width;
    int32_t height;
    int32_t stride;
    const uint32_t* pixels;
};

// kMouseCaptureLost: the window system took the mouse away mid-press (x, y,
// button and control are not read).
enum EditorMouseKind : int32_t { kMousePress = 0, kMouseMove = 1, kMouseRelease = 2, kMouseCaptureLost = 3 };
enum EditorMouseButton : int32_t { kButtonLeft = 0, kButtonRight = 1, kButtonMiddle = 2 };
enum EditorMouseModifier : int32_t { kModifierShift = 1, kModifierCtrl = 2, kModifierAlt = 4 };

// With an empty control name, x and y are window coordinates in device
// pixels; otherwise they are in the named control's own coordinates (any
// case; "HsPan3"), as if the pointer were over that control.
struct EditorMouseEvent {
    int32_t kind;       // EditorMouseKind
    int32_t button;     // EditorMouseButton, for press and release
    int32_t modifiers;  // EditorMouseModifier bits
    int32_t x;
    int32_t y;
    char control[32];  // zero-terminated, or empty
};

static_assert(sizeof(EditorMouseEvent) == 52 && offsetof(EditorMouseEvent, control) == 20, "EditorMouseEvent");
static_assert(offsetof(EditorFramebuffer, pixels) == (sizeof(void*) == 8 ? 16 : 12) &&
                  sizeof(EditorFramebuffer) == (sizeof(void*) == 8 ? 24 : 16),
              "EditorFramebuffer");

}  // namespace vardelline::remote
