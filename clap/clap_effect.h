// ClapEffect: one instance of the effect as a CLAP host sees it. It owns the
// effect core, turns the host's calls into calls on it, applies parameter
// events at their frame offsets and carries the editor's gestures to the
// host. The extensions (extensions.h) reach it through plugin_data.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "clap/abi/extensions.h"
#include "clap/gui_event_queue.h"
#include "model/effect_core.h"

namespace vardelline::clapfx {

class ClapEditor;

// The parameters the host sees: the ones that change the sound, with their
// indices as ids.
constexpr uint32_t kNumClapParams = kFirstUnusedParam;

// Host extensions the instance uses, each null when the host lacks it.
struct HostExtensions {
    const clap_host_params* params = nullptr;
    const clap_host_state* state = nullptr;
    const clap_host_log* log = nullptr;
    const clap_host_timer_support* timers = nullptr;
    const clap_host_posix_fd_support* fds = nullptr;
    const clap_host_preset_load* presetLoad = nullptr;
    const clap_host_gui* gui = nullptr;
};

class ClapEffect {
public:
    ClapEffect(const clap_host* host, const clap_plugin_descriptor* descriptor);
    ~ClapEffect();
    ClapEffect(const ClapEffect&) = delete;
    ClapEffect& operator=(const ClapEffect&) = delete;

    // The effect behind a plug-in handle the host passes back; null for a
    // null handle.
    static ClapEffect* from(const clap_plugin* plugin);

    const clap_plugin* handle() const { return &plugin_; }
    const clap_host* host() const { return host_; }
    const HostExtensions& hostExtensions() const { return hostExt_; }
    EffectCore& core() { return *core_; }

    // Parameter events: applies every PARAM_VALUE for our parameters; other
    // events are skipped. True if it changed a value.
    bool applyEvent(const clap_event_header* event);
    // Events without audio (params flush): all of in, then the editor's
    // gestures out.
    void flush(const clap_input_events* in, const clap_output_events* out);

    // The editor's side (main thread): a value it set, and its gestures.
    // False when the event could not be queued for the host (the value
    // still reaches the sound).
    bool editorChanged(uint16_t eventType, int index, float value);

    // A change the host did not make (program, state): the host and the
    // editor re-read the values.
    void valuesChangedHere();

    // Sends the host's log a message, if it keeps one.
    void log(int32_t severity, const char* message) const;

    // The editor while the host has one created; main thread.
    std::unique_ptr<ClapEditor> editor;
    // Set whenever the audio thread applied a parameter event, so that the
    // editor's next tick re-reads the values.
    std::atomic<bool> editorValuesStale{false};

private:
    static ClapEffect* self(const clap_plugin* plugin) { return from(plugin); }
    static bool VCLAP_ABI init(const clap_plugin* plugin);
    static void VCLAP_ABI destroy(const clap_plugin* plugin);
    static bool VCLAP_ABI activate(const clap_plugin* plugin, double rate, uint32_t minFrames, uint32_t maxFrames);
    static void VCLAP_ABI deactivate(const clap_plugin* plugin);
    static bool VCLAP_ABI startProcessing(const clap_plugin* plugin);
    static void VCLAP_ABI stopProcessing(const clap_plugin* plugin);
    static void VCLAP_ABI reset(const clap_plugin* plugin);
    static clap_process_status VCLAP_ABI process(const clap_plugin* plugin, const clap_process* block);
    static const void* VCLAP_ABI getExtension(const clap_plugin* plugin, const char* id);
    static void VCLAP_ABI onMainThread(const clap_plugin* plugin);

    clap_process_status run(const clap_process& block);
    // Hands the editor's queued gestures to the host's list, oldest first,
    // while it takes them.
    void sendEditorEvents(const clap_output_events* out);

    clap_plugin plugin_{};
    const clap_host* host_;
    HostExtensions hostExt_;
    EffectCore* core_;  // from zeroed pages, through its own operator new
    GuiEventQueue editorEvents_;
};

}  // namespace vardelline::clapfx
