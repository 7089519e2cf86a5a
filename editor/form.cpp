// Framebuffer composition, mouse routing with capture, timers and the
// deferred destruction of a Form.
#include "editor/form.h"

namespace vardelline::gui {

Form::Form(std::string name, int width, int height, Color color)
    : Panel(std::move(name), Rect::sized(0, 0, width, height), color), framebuffer_(width, height, color) {
    pending_ = framebuffer_.bounds();
}

void Form::show() {
    if (platform_ != nullptr) platform_->setVisible(true);
}

void Form::hide() {
    if (platform_ != nullptr) platform_->setVisible(false);
}

void Form::moveTo(int x, int y) {
    if (platform_ != nullptr) platform_->moveTo(x, y);
}

void Form::invalidate(const Rect& area) {
    pending_ = pending_.unite(area.intersect(framebuffer_.bounds()));
}

void Form::repaintPending() {
    if (pending_.empty()) return;
    Rect area = pending_;
    pending_ = Rect{};
    paintContent(framebuffer_, 0, 0, area);
    if (platform_ != nullptr) platform_->present(framebuffer_, area);
}

Control* Form::target(int x, int y, Control* aimedAt) {
    if (capture_ != nullptr) return capture_;
    if (aimedAt != nullptr) return aimedAt;
    return controlAt(x, y);
}

void Form::dispatchPointer(const PointerEvent& event, Control* aimedAt) {
    if (event.kind == PointerKind::CaptureLost) {
        cancelPointer();
        return;
    }
    int x = event.x;
    int y = event.y;
    if (aimedAt != nullptr) {
        Rect at = aimedAt->windowRect();
        x += at.left;
        y += at.top;
    }
    lastX_ = x;
    lastY_ = y;
    Control* control = target(x, y, aimedAt);
    if (control == nullptr) return;
    Rect at = control->windowRect();
    x -= at.left;
    y -= at.top;
    MouseHandlers& on = control->handlers;
    switch (event.kind) {
        case PointerKind::Press:
            if (capture_ == nullptr) captureButton_ = event.button;
            capture_ = control;
            if (on.press) on.press(*control, event.button, event.shift, x, y);
            break;
        case PointerKind::Move:
            if (on.move) on.move(*control, event.shift, x, y);
            break;
        case PointerKind::Release:
            capture_ = nullptr;
            if (on.release) on.release(*control, event.button, event.shift, x, y);
            break;
        case PointerKind::CaptureLost: break;
    }
}

void Form::cancelPointer() {
    Control* control = capture_;
    if (control == nullptr) return;
    capture_ = nullptr;
    Rect at = control->windowRect();
    if (control->handlers.release)
        control->handlers.release(*control, captureButton_, ShiftState{}, lastX_ - at.left, lastY_ - at.top);
}

void Form::releasePointer() {
    capture_ = nullptr;
    if (platform_ != nullptr) platform_->releasePointer();
}

Form::EventScope::~EventScope() {
    if (--form_.eventDepth_ == 0 && form_.released_) delete &form_;
}

void Form::release(std::unique_ptr<Form> form) {
    if (form == nullptr) return;
    form->released_ = true;
    // Still in use further up the stack: the outermost scope destroys it.
    if (form->eventDepth_ > 0) static_cast<void>(form.release());
}

void Form::elapse(int ms) {
    for (Timer* timer : timers_) timer->elapse(ms);
}

void Form::fireTimers() {
    for (Timer* timer : timers_) timer->fire();
}

static Control* findIn(Control& control, const char* name) {
    if (sameName(control.name(), name)) return &control;
    if (auto* panel = dynamic_cast<Panel*>(&control)) {
        for (Control* child : panel->children()) {
            if (Control* found = findIn(*child, name)) return found;
        }
    }
    return nullptr;
}

Control* Form::findControl(const char* name) {
    return name != nullptr ? findIn(*this, name) : nullptr;
}

}  // namespace vardelline::gui
