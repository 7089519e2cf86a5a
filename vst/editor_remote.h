// The VST 2 carriage of the editor's remote records (editor/editor_remote.h),
// used by the command-line host to drive and picture the editor without a
// window system: dispatcher(effVendorSpecific, kEditorRemote, command, ptr, 0).
// Every request answers 1 when carried out and 0 otherwise (no open editor,
// null ptr, unknown command or control).
#pragma once

#include <cstdint>

#include "editor/editor_remote.h"
#include "vst/aeffect.h"

namespace vardelline::remote {

constexpr int32_t kEditorRemote = fourCharCode("vdLn");        // the index argument
constexpr int32_t kCommandFramebuffer = fourCharCode("fbuf");  // ptr: EditorFramebuffer*
constexpr int32_t kCommandMouse = fourCharCode("mous");        // ptr: const EditorMouseEvent*
constexpr int32_t kCommandTick = fourCharCode("tick");         // ptr unused: one timer tick

}  // namespace vardelline::remote
