// Our editor-remote extension (clap/abi/editor_remote.h): the editor drawn
// into memory and driven by the remote records, for the command-line host.
// It needs no window system, so it is offered on every build.
#include "clap/clap_editor.h"
#include "clap/clap_effect.h"
#include "clap/extensions.h"
#include "editor/remote_requests.h"
#include "editor/ui_scale.h"

namespace vardelline::clapfx {

namespace {

// 0 leaves the choice to the plug-in; anything else outside 1..3 (NaN
// included) is a host's mistake and refused rather than made sane.
bool VCLAP_ABI openHeadless(const clap_plugin* plugin, double factor) {
    ClapEffect* effect = ClapEffect::from(plugin);
    const bool usable = factor == 0.0 || (factor >= gui::kMinScale && factor <= gui::kMaxScale);
    if (effect == nullptr || !usable || effect->editor) return false;
    try {
        effect->editor = std::make_unique<ClapEditor>(*effect, factor);
    } catch (...) {
        return false;
    }
    return true;
}

void VCLAP_ABI close(const clap_plugin* plugin) {
    if (ClapEffect* effect = ClapEffect::from(plugin)) effect->editor.reset();
}

bool VCLAP_ABI framebuffer(const clap_plugin* plugin, remote::EditorFramebuffer* frame) {
    ClapEditor* editor = ClapEditor::of(plugin);
    if (editor == nullptr || frame == nullptr) return false;
    *frame = remote::describeFramebuffer(editor->window());
    return true;
}

bool VCLAP_ABI mouse(const clap_plugin* plugin, const remote::EditorMouseEvent* event) {
    ClapEditor* editor = ClapEditor::of(plugin);
    return editor != nullptr && event != nullptr && remote::deliverMouse(editor->window(), *event);
}

bool VCLAP_ABI tick(const clap_plugin* plugin) {
    ClapEditor* editor = ClapEditor::of(plugin);
    if (editor == nullptr) return false;
    editor->remoteTick();
    return true;
}

constexpr vardelline_plugin_editor_remote kEditorRemote = {openHeadless, close, framebuffer, mouse, tick};

}  // namespace

const vardelline_plugin_editor_remote* editorRemoteExtension() {
    return &kEditorRemote;
}

}  // namespace vardelline::clapfx
