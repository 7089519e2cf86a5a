// The VST 2 editor opened without a parent window and driven through the
// editor's vendor-specific requests (vst/editor_remote.h).
#include "tools/host/editor_scale.h"
#include "tools/host/host_error.h"
#include "tools/host/plugin_instance.h"
#include "vst/editor_remote.h"

namespace vardelline::host {

namespace {

class Vst2HeadlessEditor : public HeadlessEditor {
public:
    Vst2HeadlessEditor(PluginInstance& instance, double scale) : instance_(instance) {
        if ((instance.effect().flags & effFlagsHasEditor) == 0) throw HostError("the plug-in has no editor");
        tellEditorScale(instance, scale);
        ERect* rect = nullptr;
        instance.dispatch(effEditGetRect, 0, 0, &rect);
        if (instance.dispatch(effEditOpen, 0, 0, nullptr) == 0) throw HostError("the plug-in's editor did not open");
    }
    ~Vst2HeadlessEditor() override { instance_.dispatch(effEditClose); }
    Vst2HeadlessEditor(const Vst2HeadlessEditor&) = delete;
    Vst2HeadlessEditor& operator=(const Vst2HeadlessEditor&) = delete;

    bool mouse(const remote::EditorMouseEvent& event) override {
        remote::EditorMouseEvent copy = event;
        return request(remote::kCommandMouse, &copy) != 0;
    }
    void tick() override { request(remote::kCommandTick, nullptr); }
    bool framebuffer(remote::EditorFramebuffer& frame) override {
        return request(remote::kCommandFramebuffer, &frame) != 0;
    }

private:
    VstIntPtr request(int32_t command, void* ptr) {
        return instance_.dispatch(effVendorSpecific, remote::kEditorRemote, command, ptr);
    }

    PluginInstance& instance_;
};

}  // namespace

std::unique_ptr<HeadlessEditor> PluginInstance::openHeadlessEditor(double scale) {
    return std::make_unique<Vst2HeadlessEditor>(*this, scale);
}

}  // namespace vardelline::host
