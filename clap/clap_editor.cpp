// The editor's window in the host's, its gestures and its pumping.
#include "clap/clap_editor.h"

#include <chrono>

#include "clap/clap_effect.h"
#include "editor/remote_requests.h"

namespace vardelline::clapfx {

ClapEditor::ClapEditor(ClapEffect& effect, double factor) : effect_(effect) {
    createWindow(gui::chooseScale(factor, [] { return gui::desktopScale(nullptr); }));
}

ClapEditor* ClapEditor::of(const clap_plugin* plugin) {
    ClapEffect* effect = ClapEffect::from(plugin);
    return effect != nullptr ? effect->editor.get() : nullptr;
}

void ClapEditor::createWindow(double factor) {
    window_ = std::make_unique<TPluginEditorWindow>(factor);
    window_->attach(std::make_unique<gui::HeadlessWindow>());
    refreshValues();
    window_->plugin = this;
}

uint32_t ClapEditor::width() const {
    return static_cast<uint32_t>(window_->width());
}

uint32_t ClapEditor::height() const {
    return static_cast<uint32_t>(window_->height());
}

void ClapEditor::setScale(double factor) {
    const double scale = gui::saneScale(factor);
    if (scale == window_->scale.factor()) return;
    stopPumping();
    {
        gui::Form::EventScope scope(*window_);
        window_->cancelDrag();
    }
    window_->plugin = nullptr;
    gui::Form::release(std::move(window_));
    createWindow(scale);
    if (!embedded_) return;
    embedded_ = false;
    if (!setParent(parent_)) return;
    if (shown_) show();
    const HostExtensions& ext = effect_.hostExtensions();
    if (ext.gui != nullptr && ext.gui->request_resize != nullptr)
        ext.gui->request_resize(effect_.host(), width(), height());
}

// Nothing may call into the window once it is gone: the pumps stop first,
// and a drag cut short ends its gesture.
ClapEditor::~ClapEditor() {
    stopPumping();
    {
        gui::Form::EventScope scope(*window_);
        window_->cancelDrag();
    }
    if (gestureIndex_ >= 0) endEdit(gestureIndex_);
    window_->plugin = nullptr;
    gui::Form::release(std::move(window_));
}

bool ClapEditor::setParent(void* handle) {
    if (handle == nullptr) return false;
    if (embedded_) {
        window_->platform()->adoptParent(handle);
        return true;
    }
    std::unique_ptr<gui::PlatformWindow> created = gui::createPlatformWindow(handle, *window_);
    if (dynamic_cast<gui::HeadlessWindow*>(created.get()) != nullptr) return false;
    window_->attach(std::move(created));
    embedded_ = true;
    parent_ = handle;
    window_->moveTo(0, 0);
    window_->invalidate();
    window_->repaintPending();
    startPumping();
    return true;
}

void ClapEditor::show() {
    shown_ = true;
    window_->show();
    window_->SetAll();
    window_->invalidate();
    window_->repaintPending();
}

void ClapEditor::hide() {
    shown_ = false;
    window_->hide();
}

void ClapEditor::tick() {
    if (effect_.editorValuesStale.exchange(false, std::memory_order_relaxed)) refreshValues();
    window_->platform()->processEvents();
    window_->repaintPending();
}

void ClapEditor::remoteTick() {
    if (effect_.editorValuesStale.exchange(false, std::memory_order_relaxed)) refreshValues();
    remote::deliverTick(*window_);
}

void ClapEditor::onTimer(clap_id id) {
    if (id == timerId_) tick();
}

void ClapEditor::onDescriptor(int fd) {
    if (fd == fd_) tick();
}

void ClapEditor::refreshValues() {
    for (int i = 0; i < kNumParamSlots; ++i)
        window_->values[i].store(effect_.core().parameter(i), std::memory_order_relaxed);
}

// ---- gestures ---------------------------------------------------------------------

void ClapEditor::setParameterAutomated(int index, float value) {
    effect_.editorChanged(CLAP_EVENT_PARAM_VALUE, index, value);
}

void ClapEditor::beginEdit(int index) {
    if (gestureIndex_ >= 0) endEdit(gestureIndex_);  // never nested
    if (effect_.editorChanged(CLAP_EVENT_PARAM_GESTURE_BEGIN, index, 0.0f)) gestureIndex_ = index;
}

void ClapEditor::endEdit(int index) {
    if (index != gestureIndex_) return;
    gestureIndex_ = -1;
    effect_.editorChanged(CLAP_EVENT_PARAM_GESTURE_END, index, 0.0f);
}

// ---- pumping ----------------------------------------------------------------------

void ClapEditor::startPumping() {
    const HostExtensions& ext = effect_.hostExtensions();
    const clap_host* host = effect_.host();
    if (ext.timers != nullptr && ext.timers->register_timer != nullptr) {
        clap_id id = CLAP_INVALID_ID;
        if (ext.timers->register_timer(host, kTickMs, &id)) timerId_ = id;
    }
    const int fd = window_->platform()->eventDescriptor();
    if (fd >= 0 && ext.fds != nullptr && ext.fds->register_fd != nullptr &&
        ext.fds->register_fd(host, fd, CLAP_POSIX_FD_READ))
        fd_ = fd;
    // Without a host timer nothing would tick the window's own timers.
    if (timerId_ == CLAP_INVALID_ID && host->request_callback != nullptr) {
        fallbackStop_ = false;
        fallback_ = std::thread(&ClapEditor::fallbackLoop, this);
    }
}

void ClapEditor::stopPumping() {
    const HostExtensions& ext = effect_.hostExtensions();
    const clap_host* host = effect_.host();
    if (timerId_ != CLAP_INVALID_ID && ext.timers->unregister_timer != nullptr)
        ext.timers->unregister_timer(host, timerId_);
    timerId_ = CLAP_INVALID_ID;
    if (fd_ >= 0 && ext.fds->unregister_fd != nullptr) ext.fds->unregister_fd(host, fd_);
    fd_ = -1;
    if (fallback_.joinable()) {
        {
            std::lock_guard<std::mutex> guard(fallbackLock_);
            fallbackStop_ = true;
        }
        fallbackWake_.notify_all();
        fallback_.join();
    }
}

// Asks for a main-thread callback every tick; on_main_thread then ticks.
void ClapEditor::fallbackLoop() {
    const clap_host* host = effect_.host();
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(fallbackLock_);
            if (fallbackWake_.wait_for(lock, std::chrono::milliseconds(kTickMs), [this] { return fallbackStop_; }))
                return;
        }
        host->request_callback(host);  // outside the lock: the host may call back at once
    }
}

}  // namespace vardelline::clapfx
