// Extra requests a host can make of the editor through effVendorSpecific,
// used by the command-line host to drive and picture the editor without a
// window system: dispatcher(effVendorSpecific, kEditorRemote, command, ptr, 0).
// Every request answers 1 when carried out and 0 otherwise (no open editor,
// null ptr, unknown command or control).
#pragma once

#include <cstdint>

#include "vst/aeffect.h"

namespace vardelline::remote {

constexpr int32_t kEditorRemote = fourCharCode("vdLn");        // the index argument
constexpr int32_t kCommandFramebuffer = fourCharCode("fbuf");  // ptr: EditorFramebuffer*
constexpr int32_t kCommandMouse = fourCharCode("mous");        // ptr: const EditorMouseEvent*
constexpr int32_t kCommandTick = fourCharCode("tick");         // ptr unused: one timer tick

// Filled by 'fbuf' after the editor has repainted what was pending. The
// pixels are 0xAARRGGBB, rows top to bottom, stride in pixels; they stay
// valid until the next request to the editor or its close.
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

// A mouse event for 'mous'. With an empty control name, x and y are window
// coordinates; otherwise they are in the named control's own coordinates
// (any case; "HsPan3"), as if the pointer were over that control.
struct EditorMouseEvent {
    int32_t kind;       // EditorMouseKind
    int32_t button;     // EditorMouseButton, for press and release
    int32_t modifiers;  // EditorMouseModifier bits
    int32_t x;
    int32_t y;
    char control[32];  // zero-terminated, or empty
};

}  // namespace vardelline::remote
