// Vardelline's own extension, not one of CLAP's: the editor opened without
// a parent window and driven through the remote records of
// editor/editor_remote.h, so that our command-line host can picture the
// editor headless as it does through the VST 2 edition. Other hosts need
// not know it; the plug-in offers it through get_extension under the id
// below, and nothing else in the plug-in depends on a host using it.
//
// Every function runs on the main thread and answers false when it cannot
// do what was asked (no editor, null pointers, a factor outside 1..3, an
// unknown control), leaving everything as it was.
#pragma once

#include "clap/abi/core.h"
#include "editor/editor_remote.h"

extern "C" {

constexpr const char* VARDELLINE_EXT_EDITOR_REMOTE = "com.quorvane.vardelline.editor-remote/1";

struct vardelline_plugin_editor_remote {
    // Creates the editor as gui.create would, but drawn into memory only,
    // at factor (1..3; 0: the user's or the desktop's choice, as for an
    // embedded editor). False when an editor already exists.
    bool(VCLAP_ABI* open_headless)(const clap_plugin* plugin, double factor);
    // Destroys the editor, however it was created (as gui.destroy).
    void(VCLAP_ABI* close)(const clap_plugin* plugin);
    // Fills *frame with the editor's picture after it has repainted.
    bool(VCLAP_ABI* framebuffer)(const clap_plugin* plugin, vardelline::remote::EditorFramebuffer* frame);
    // One mouse event, as the window system would deliver it.
    bool(VCLAP_ABI* mouse)(const clap_plugin* plugin, const vardelline::remote::EditorMouseEvent* event);
    // One tick of the editor's timers, taking values the plug-in changed.
    bool(VCLAP_ABI* tick)(const clap_plugin* plugin);
};

}  // extern "C"

static_assert(sizeof(vardelline_plugin_editor_remote) == 5 * sizeof(void*) &&
                  offsetof(vardelline_plugin_editor_remote, tick) == 4 * sizeof(void*),
              "vardelline_plugin_editor_remote");
