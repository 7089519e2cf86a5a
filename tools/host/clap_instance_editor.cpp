// The CLAP editor opened without a parent window and driven through our
// editor-remote extension (clap/abi/editor_remote.h).
#include "clap/abi/editor_remote.h"
#include "tools/host/clap_instance.h"
#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {

class ClapHeadlessEditor : public HeadlessEditor {
public:
    ClapHeadlessEditor(ClapInstance& instance, const vardelline_plugin_editor_remote& remote, double scale)
        : plugin_(instance.plugin()), remote_(remote) {
        if (!remote_.open_headless(&plugin_, scale)) throw HostError(instance.path() + ": the plug-in's editor did not open");
    }
    ~ClapHeadlessEditor() override { remote_.close(&plugin_); }
    ClapHeadlessEditor(const ClapHeadlessEditor&) = delete;
    ClapHeadlessEditor& operator=(const ClapHeadlessEditor&) = delete;

    bool mouse(const remote::EditorMouseEvent& event) override { return remote_.mouse(&plugin_, &event); }
    void tick() override { remote_.tick(&plugin_); }
    bool framebuffer(remote::EditorFramebuffer& frame) override { return remote_.framebuffer(&plugin_, &frame); }

private:
    const clap_plugin& plugin_;
    const vardelline_plugin_editor_remote& remote_;
};

}  // namespace

std::unique_ptr<HeadlessEditor> ClapInstance::openHeadlessEditor(double scale) {
    auto remote = static_cast<const vardelline_plugin_editor_remote*>(extension(VARDELLINE_EXT_EDITOR_REMOTE));
    if (remote == nullptr || remote->open_headless == nullptr || remote->close == nullptr ||
        remote->framebuffer == nullptr || remote->mouse == nullptr || remote->tick == nullptr)
        throw HostError(path() + ": the plug-in offers no editor that can be drawn without a window");
    return std::make_unique<ClapHeadlessEditor>(*this, *remote, scale);
}

}  // namespace vardelline::host
