// The editor adaptor: window lifetime, size, value refresh and the remote
// requests of the command-line host.
#include "vst/plugin_editor.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "editor/layout.h"
#include "editor/remote_requests.h"
#include "vst/editor_remote.h"
#include "vst/plugin.h"

using vardelline::TPluginEditorWindow;
namespace gui = vardelline::gui;
namespace remote = vardelline::remote;

namespace {

// The hosts' convention for telling a plug-in the scale of its editor:
// effVendorSpecific with these index and value, the factor in opt.
constexpr VstInt32 kHostScaleIndex = fourCharCode("PreS");
constexpr VstIntPtr kHostScaleValue = fourCharCode("AeCs");

}  // namespace

APluginEditor::APluginEditor(APlugin* plugin) : AEffEditor(plugin) {}

APluginEditor::~APluginEditor() {
    if (window) destroyWindow();
}

APlugin* APluginEditor::plugin() const {
    return static_cast<APlugin*>(effect);
}

VstInt32 APluginEditor::getRect(ERect** place) {
    if (place == nullptr) return 0;
    // The window's size whether or not it exists yet: hosts size their frame
    // from the answer before they open the editor.
    rect.top = 0;
    rect.left = 0;
    const gui::Scale scale(scaleFactor());
    rect.bottom = static_cast<int16_t>(window ? window->height() : scale.size(vardelline::layout::kClientHeight));
    rect.right = static_cast<int16_t>(window ? window->width() : scale.size(vardelline::layout::kClientWidth));
    *place = &rect;
    return 1;
}

double APluginEditor::chooseScale(void* parent) {
    return gui::chooseScale(hostScale, [this, parent] {
        if (parent != nullptr || desktopScaleSeen < 0.0) desktopScaleSeen = gui::desktopScale(parent);
        return desktopScaleSeen;
    });
}

double APluginEditor::scaleFactor() {
    return window ? window->scale.factor() : chooseScale(nullptr);
}

void APluginEditor::setHostScale(double factor) {
    hostScale = gui::saneScale(factor);
    if (window && window->scale.factor() != hostScale) replaceWindow(hostScale);
}

void APluginEditor::createWindow(double factor) {
    window = std::make_unique<TPluginEditorWindow>(factor);
    window->attach(gui::createPlatformWindow(parentWindow, *window));
    window->moveTo(0, 0);
    updateTarget.store(window.get());
    if (plugin() != nullptr) copyValuesInto(*window);
    window->plugin = this;
}

void APluginEditor::replaceWindow(double factor) {
    {
        // A drag in progress ends (the host hears endEdit and may close the
        // editor from inside that callback).
        gui::Form::EventScope scope(*window);
        window->cancelDrag();
    }
    if (!window) return;
    const std::string line = window->readoutText();
    updateTarget.store(nullptr);
    while (updatesRunning.load() != 0) std::this_thread::yield();
    window->plugin = nullptr;
    gui::Form::release(std::move(window));

    createWindow(factor);
    window->showReadoutLine(line.c_str());
    if (windowShown) {
        window->repaintPending();
        window->show();
    }
    window->SetAll();
    if (plugin() != nullptr) plugin()->sizeWindow(window->width(), window->height());
}

void APluginEditor::copyValuesInto(TPluginEditorWindow& target) const {
    for (int i = 0; i < vardelline::kNumParamSlots; ++i) {
        target.values[i].store(plugin()->parameterValue(i), std::memory_order_relaxed);
    }
}

VstInt32 APluginEditor::open(void* ptr) {
    parentWindow = ptr;
    ++openCount;
    if (!window) {
        createWindow(chooseScale(ptr));
    } else if (ptr != nullptr) {
        // Hosts may reopen into a new window of their own without a close.
        window->platform()->adoptParent(ptr);
    }
    if (plugin() != nullptr) plugin()->editorClosed.store(false);
    window->repaintPending();
    window->show();
    windowShown = true;
    window->SetAll();
    return 1;
}

void APluginEditor::close() {
    if (window) {
        // A drag cut short ends here, and the host hears endEdit; it may
        // close or reopen the editor from inside that callback, so the rest
        // works on whatever window there is afterwards.
        TPluginEditorWindow& current = *window;
        gui::Form::EventScope scope(current);
        current.cancelDrag();
    }
    if (window) window->hide();
    windowShown = false;
    openCount = openCount > 1 ? openCount - 1 : 0;
    if (openCount == 0) destroyWindow();
}

void APluginEditor::destroyWindow() {
    if (plugin() != nullptr) plugin()->editorClosed.store(true);
    updateTarget.store(nullptr);
    while (updatesRunning.load() != 0) std::this_thread::yield();
    if (window) window->plugin = nullptr;  // a window outliving this call calls nobody
    gui::Form::release(std::move(window));
    parentWindow = nullptr;
}

void APluginEditor::idle() {
    if (!window) return;
    // Mouse events and timer ticks arrive here, on the host's GUI thread;
    // the host may close or reopen the editor while they are handled.
    window->platform()->processEvents();
    if (window) window->repaintPending();
}

void APluginEditor::update() {
    updatesRunning.fetch_add(1);
    TPluginEditorWindow* target = updateTarget.load();
    // Null whenever the window is closed or closing.
    if (target != nullptr && plugin() != nullptr) copyValuesInto(*target);
    updatesRunning.fetch_sub(1);
}

void APluginEditor::setParameterAutomated(int index, float value) {
    if (effect != nullptr) effect->setParameterAutomated(index, value);
}

void APluginEditor::beginEdit(int index) {
    // The host's answer means nothing to the editor: a host without touch
    // automation answers 0 and the drag goes on the same.
    if (plugin() != nullptr) plugin()->beginEdit(index);
}

void APluginEditor::endEdit(int index) {
    if (plugin() != nullptr) plugin()->endEdit(index);
}

VstIntPtr APluginEditor::remoteMouse(const void* ptr) {
    remote::EditorMouseEvent event;
    std::memcpy(&event, ptr, sizeof event);  // the host's pointer may be unaligned
    return remote::deliverMouse(*window, event) ? 1 : 0;
}

VstIntPtr APluginEditor::vendorSpecific(VstInt32 lArg, VstIntPtr lArg2, void* ptrArg, float floatArg) {
    if (lArg == kHostScaleIndex && lArg2 == kHostScaleValue) {
        setHostScale(floatArg);
        return 1;
    }
    if (lArg != remote::kEditorRemote || !window) return 0;
    switch (lArg2) {
        case remote::kCommandFramebuffer: {
            if (ptrArg == nullptr) return 0;
            const remote::EditorFramebuffer description = remote::describeFramebuffer(*window);
            std::memcpy(ptrArg, &description, sizeof description);
            return 1;
        }
        case remote::kCommandMouse: return ptrArg != nullptr ? remoteMouse(ptrArg) : 0;
        case remote::kCommandTick: remote::deliverTick(*window); return 1;
        default: return 0;
    }
}
