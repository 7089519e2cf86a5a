// The LV2 edition's editor: the same window as the VST 2 editor, embedded in
// the host's window through ui:parent. It has no access to the plug-in
// instance: drags go to the host as port writes (bracketed by ui:touch where
// the host offers it), and the host's port events refresh the window's copy
// of the values.
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "editor/editor_window.h"
#include "editor/layout.h"
#include "editor/platform_window.h"
#include "lv2/lv2_ports.h"
#include "model/factory_programs.h"

namespace vardelline::lv2 {

namespace {

class EditorUi final : public AutomationTarget {
public:
    EditorUi(LV2UI_Write_Function write, LV2UI_Controller controller, void* parent, const LV2UI_Touch* touch,
             double hostScale)
        : write(write), controller(controller), touch(touch) {
        window = std::make_unique<TPluginEditorWindow>(
            gui::chooseScale(hostScale, [parent] { return gui::desktopScale(parent); }));
        for (int i = 0; i < kNumParamSlots; ++i) window->values[i].store(paramDefault(i), std::memory_order_relaxed);
        window->attach(gui::createPlatformWindow(parent, *window));
        window->moveTo(0, 0);
        window->plugin = this;
        window->repaintPending();
        window->show();
        window->SetAll();
    }

    ~EditorUi() override { closeWindow(); }

    void* widget() const { return window->platform()->nativeHandle(); }
    int width() const { return window->width(); }
    int height() const { return window->height(); }

    // The host may free the editor from inside a callback the editor made
    // during idle: the window then stops calling anyone, and goes (with this
    // object) once the event it is handling has returned.
    static void free(EditorUi* ui) {
        if (ui->idling == 0) return delete ui;
        ui->closeWindow();
        ui->freed = true;
    }

    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
        if (format != 0 || size != sizeof(float) || buffer == nullptr) return;
        if (port < kFirstControlPort || port >= kNumPorts) return;
        float value;
        std::memcpy(&value, buffer, sizeof value);
        window->values[port - kFirstControlPort].store(value, std::memory_order_relaxed);
    }

    // Mouse events and timer ticks arrive here, on the host's GUI thread.
    // Answers 1 once the host has freed the editor meanwhile.
    static int idle(EditorUi* ui) {
        ++ui->idling;
        ui->window->platform()->processEvents();
        --ui->idling;
        if (ui->freed) {
            delete ui;
            return 1;
        }
        ui->window->repaintPending();
        return 0;
    }

private:
    void closeWindow() {
        if (!window) return;
        {
            // A drag cut short by the close ends here, with the host told.
            gui::Form::EventScope scope(*window);
            window->cancelDrag();
        }
        window->plugin = nullptr;
        gui::Form::release(std::move(window));
    }

    static bool isControl(int index) { return index >= 0 && index < static_cast<int>(kNumControlPorts); }
    static uint32_t portOf(int index) { return kFirstControlPort + static_cast<uint32_t>(index); }

    void setParameterAutomated(int index, float value) override {
        if (write != nullptr && isControl(index)) write(controller, portOf(index), sizeof value, 0, &value);
    }
    void beginEdit(int index) override {
        if (touch != nullptr && isControl(index)) touch->touch(touch->handle, portOf(index), true);
    }
    void endEdit(int index) override {
        if (touch != nullptr && isControl(index)) touch->touch(touch->handle, portOf(index), false);
    }

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch;
    std::unique_ptr<TPluginEditorWindow> window;
    int idling = 0;
    bool freed = false;
};

const void* feature(const LV2_Feature* const* features, const char* uri) {
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f)
        if (std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
    return nullptr;
}

// The host's ui:scaleFactor among the options it passed, or 0.
double scaleOption(const LV2_Feature* const* features) {
    const auto* options = static_cast<const LV2_Options_Option*>(feature(features, LV2_OPTIONS__options));
    const auto* map = static_cast<const LV2_URID_Map*>(feature(features, LV2_URID__map));
    if (options == nullptr || map == nullptr) return 0.0;
    const LV2_URID scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    for (const LV2_Options_Option* o = options; o->key != 0 || o->value != nullptr; ++o) {
        if (o->key == scaleFactor && o->type == floatType && o->size == sizeof(float) && o->value != nullptr) {
            float factor;
            std::memcpy(&factor, o->value, sizeof factor);
            return factor;
        }
    }
    return 0.0;
}

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget* widget, const LV2_Feature* const* features) {
    if (pluginUri == nullptr || std::strcmp(pluginUri, kPluginUri) != 0) return nullptr;
    auto ui = std::make_unique<EditorUi>(write, controller, const_cast<void*>(feature(features, LV2_UI__parent)),
                                         static_cast<const LV2UI_Touch*>(feature(features, LV2_UI__touch)),
                                         scaleOption(features));
    if (widget != nullptr) *widget = ui->widget();
    if (auto* resize = static_cast<const LV2UI_Resize*>(feature(features, LV2_UI__resize)))
        resize->ui_resize(resize->handle, ui->width(), ui->height());
    return ui.release();
}

void cleanup(LV2UI_Handle handle) {
    EditorUi::free(static_cast<EditorUi*>(handle));
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    static_cast<EditorUi*>(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle) {
    return EditorUi::idle(static_cast<EditorUi*>(handle));
}

const void* extensionData(const char* uri) {
    static const LV2UI_Idle_Interface kIdle = {idle};
    if (uri != nullptr && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdle;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};

}  // namespace

}  // namespace vardelline::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &vardelline::lv2::kDescriptor : nullptr;
}
