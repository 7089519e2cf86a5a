// Remote records to window events and pictures.
#include "editor/remote_requests.h"

#include "editor/editor_window.h"

namespace vardelline::remote {

EditorFramebuffer describeFramebuffer(TPluginEditorWindow& window) {
    window.repaintPending();
    const gui::Surface& frame = window.framebuffer();
    return EditorFramebuffer{frame.width(), frame.height(), frame.stride(), frame.pixels()};
}

bool toPointerEvent(const EditorMouseEvent& record, gui::PointerEvent& pointer) {
    switch (record.kind) {
        case kMousePress: pointer.kind = gui::PointerKind::Press; break;
        case kMouseMove: pointer.kind = gui::PointerKind::Move; break;
        case kMouseRelease: pointer.kind = gui::PointerKind::Release; break;
        case kMouseCaptureLost: pointer.kind = gui::PointerKind::CaptureLost; break;
        default: return false;
    }
    switch (record.button) {
        case kButtonLeft: pointer.button = gui::MouseButton::Left; break;
        case kButtonRight: pointer.button = gui::MouseButton::Right; break;
        case kButtonMiddle: pointer.button = gui::MouseButton::Middle; break;
        default:
            // Only a move or a lost capture has no button.
            if (pointer.kind != gui::PointerKind::Move && pointer.kind != gui::PointerKind::CaptureLost) return false;
    }
    pointer.x = record.x;
    pointer.y = record.y;
    pointer.shift.shift = (record.modifiers & kModifierShift) != 0;
    pointer.shift.ctrl = (record.modifiers & kModifierCtrl) != 0;
    pointer.shift.alt = (record.modifiers & kModifierAlt) != 0;
    return true;
}

bool deliverMouse(TPluginEditorWindow& window, EditorMouseEvent record) {
    record.control[sizeof record.control - 1] = '\0';  // a host may leave the name unterminated
    gui::Control* aimedAt = nullptr;
    if (record.control[0] != '\0') {
        aimedAt = window.findControl(record.control);
        if (aimedAt == nullptr) return false;
    }
    gui::PointerEvent pointer;
    if (!toPointerEvent(record, pointer)) return false;
    gui::Form::EventScope scope(window);
    window.dispatchPointer(pointer, aimedAt);
    return true;
}

void deliverTick(TPluginEditorWindow& window) {
    gui::Form::EventScope scope(window);
    window.fireTimers();
}

}  // namespace vardelline::remote
