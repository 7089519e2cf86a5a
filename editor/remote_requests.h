// The editor's side of the remote records of editor/editor_remote.h, shared
// by every edition's adaptor: each adaptor only unpacks its own binary
// interface and hands the record to these.
#pragma once

#include "editor/editor_remote.h"
#include "editor/form.h"

namespace vardelline {

class TPluginEditorWindow;

namespace remote {

// The window's picture, after it has repainted what was pending.
EditorFramebuffer describeFramebuffer(TPluginEditorWindow& window);

// The pointer event a record stands for; false for an unknown kind, or a
// press or release without a known button.
bool toPointerEvent(const EditorMouseEvent& record, gui::PointerEvent& pointer);

// Hands the record to the window, at the named control if it names one;
// false when the record is unusable or the window has no such control. The
// window may be released by what the event sets off (the host may close
// the editor from inside a gesture callback); it goes once this returns.
bool deliverMouse(TPluginEditorWindow& window, EditorMouseEvent record);

// One tick of every enabled timer of the window.
void deliverTick(TPluginEditorWindow& window);

}  // namespace remote
}  // namespace vardelline
