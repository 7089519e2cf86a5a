// ClapEditor: the editor window inside a CLAP host's window. It lives from
// gui create to gui destroy on the host's main thread, turns the window's
// drags into gestures for the host, and gets its events and timer ticks
// pumped on the main thread: by a host timer where the host has
// timer-support, from the X connection's descriptor where it has
// posix-fd-support, and otherwise by a thread of ours that asks the host
// for main-thread callbacks.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "clap/abi/extensions.h"
#include "editor/editor_window.h"
#include "editor/platform_window.h"

namespace vardelline::clapfx {

class ClapEffect;

class ClapEditor : private AutomationTarget {
public:
    static constexpr uint32_t kTickMs = 25;

    // At factor, or with 0 at the user's or the desktop's until the host
    // gives one.
    explicit ClapEditor(ClapEffect& effect, double factor = 0.0);
    ~ClapEditor() override;
    ClapEditor(const ClapEditor&) = delete;
    ClapEditor& operator=(const ClapEditor&) = delete;

    // The editor of the instance behind a host's plug-in handle, or null.
    static ClapEditor* of(const clap_plugin* plugin);

    // Embeds the window in the host's (an X11 window id or an HWND); false
    // when no window could be made there.
    bool setParent(void* handle);
    // The host's scale factor: the window is drawn anew at it (sane
    // factors 1..3) and, once embedded, the host is asked for the new size.
    void setScale(double factor);
    // The window's size in device pixels.
    uint32_t width() const;
    uint32_t height() const;
    void show();
    void hide();

    // Main thread: window events, timer time, values the audio thread
    // changed, repainting.
    void tick();
    void onTimer(clap_id id);
    void onDescriptor(int fd);
    // Main thread: takes the effect's current values.
    void refreshValues();
    // Main thread, for a host driving the window without a window system:
    // values the audio thread changed, then one tick of the window's timers.
    void remoteTick();

    TPluginEditorWindow& window() { return *window_; }
    bool embedded() const { return embedded_; }
    // How the window is being pumped; for tests and diagnostics.
    bool usesHostTimer() const { return timerId_ != CLAP_INVALID_ID; }
    bool usesDescriptor() const { return fd_ >= 0; }
    bool usesFallbackThread() const { return fallback_.joinable(); }

private:
    void setParameterAutomated(int index, float value) override;
    void beginEdit(int index) override;
    void endEdit(int index) override;

    void createWindow(double factor);
    void startPumping();
    void stopPumping();
    void fallbackLoop();

    ClapEffect& effect_;
    std::unique_ptr<TPluginEditorWindow> window_;
    bool embedded_ = false;
    void* parent_ = nullptr;
    bool shown_ = false;
    int gestureIndex_ = -1;  // the parameter whose gesture the host has open

    clap_id timerId_ = CLAP_INVALID_ID;
    int fd_ = -1;
    std::thread fallback_;
    std::mutex fallbackLock_;
    std::condition_variable fallbackWake_;
    bool fallbackStop_ = false;
};

}  // namespace vardelline::clapfx
