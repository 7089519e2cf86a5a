// The instance's life (init, activation, processing, destruction) and its
// audio: parameter events split the block at their offsets, so a change
// lands on the same sample as a VST 2 host's change between two blocks.
#include "clap/clap_effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "clap/clap_editor.h"
#include "clap/extensions.h"

namespace vardelline::clapfx {

namespace {

// Hostile lists may claim any size; a block never looks at more events.
constexpr uint32_t kMaxEventsPerBlock = 1u << 20;

template <typename T>
const T* hostExtension(const clap_host* host, const char* id) {
    if (host == nullptr || host->get_extension == nullptr) return nullptr;
    return static_cast<const T*>(host->get_extension(host, id));
}

// The four channels of a block, or why there are none.
struct Channels {
    const float* inL = nullptr;
    const float* inR = nullptr;
    float* outL = nullptr;
    float* outR = nullptr;
};

bool outputChannels(const clap_process& block, Channels* c) {
    if (block.audio_outputs_count < 1 || block.audio_outputs == nullptr) return false;
    const clap_audio_buffer& out = block.audio_outputs[0];
    if (out.data32 == nullptr || out.channel_count < 2 || out.data32[0] == nullptr || out.data32[1] == nullptr)
        return false;
    c->outL = out.data32[0];
    c->outR = out.data32[1];
    return true;
}

// A mono input feeds both sides; no usable input is silence.
bool inputChannels(const clap_process& block, Channels* c) {
    if (block.audio_inputs_count < 1 || block.audio_inputs == nullptr) return false;
    const clap_audio_buffer& in = block.audio_inputs[0];
    if (in.data32 == nullptr || in.channel_count < 1 || in.data32[0] == nullptr) return false;
    c->inL = in.data32[0];
    c->inR = in.channel_count >= 2 && in.data32[1] != nullptr ? in.data32[1] : in.data32[0];
    return true;
}

// Silence for every output channel the host gave us, as far as it can be reached.
void silenceOutputs(const clap_process& block) {
    if (block.audio_outputs_count < 1 || block.audio_outputs == nullptr) return;
    const clap_audio_buffer& out = block.audio_outputs[0];
    if (out.data32 == nullptr) return;
    for (uint32_t ch = 0; ch < out.channel_count && ch < 2; ++ch) {
        if (out.data32[ch] != nullptr) std::memset(out.data32[ch], 0, sizeof(float) * block.frames_count);
    }
}

}  // namespace

ClapEffect::ClapEffect(const clap_host* host, const clap_plugin_descriptor* descriptor)
    : host_(host), core_(new EffectCore) {
    plugin_.desc = descriptor;
    plugin_.plugin_data = this;
    plugin_.init = &ClapEffect::init;
    plugin_.destroy = &ClapEffect::destroy;
    plugin_.activate = &ClapEffect::activate;
    plugin_.deactivate = &ClapEffect::deactivate;
    plugin_.start_processing = &ClapEffect::startProcessing;
    plugin_.stop_processing = &ClapEffect::stopProcessing;
    plugin_.reset = &ClapEffect::reset;
    plugin_.process = &ClapEffect::process;
    plugin_.get_extension = &ClapEffect::getExtension;
    plugin_.on_main_thread = &ClapEffect::onMainThread;

    // As the VST 2 edition starts: every program loaded, program 0 current.
    core_->loadFactoryPrograms();
    for (int p = kNumPrograms - 1; p >= 0; --p) core_->setProgram(p);
    core_->applyPendingChanges();
}

// The editor goes first: it reports into the core and the queue. A drag it
// closes now is not announced: the host is destroying us, not flushing.
ClapEffect::~ClapEffect() {
    hostExt_.params = nullptr;
    editor.reset();
    delete core_;
}

ClapEffect* ClapEffect::from(const clap_plugin* plugin) {
    return plugin != nullptr ? static_cast<ClapEffect*>(plugin->plugin_data) : nullptr;
}

// ---- life -------------------------------------------------------------------------

bool ClapEffect::init(const clap_plugin* plugin) {
    ClapEffect* effect = self(plugin);
    if (effect == nullptr) return false;
    HostExtensions& ext = effect->hostExt_;
    const clap_host* host = effect->host_;
    ext.params = hostExtension<clap_host_params>(host, CLAP_EXT_PARAMS);
    ext.state = hostExtension<clap_host_state>(host, CLAP_EXT_STATE);
    ext.log = hostExtension<clap_host_log>(host, CLAP_EXT_LOG);
    ext.timers = hostExtension<clap_host_timer_support>(host, CLAP_EXT_TIMER_SUPPORT);
    ext.fds = hostExtension<clap_host_posix_fd_support>(host, CLAP_EXT_POSIX_FD_SUPPORT);
    ext.gui = hostExtension<clap_host_gui>(host, CLAP_EXT_GUI);
    ext.presetLoad = hostExtension<clap_host_preset_load>(host, CLAP_EXT_PRESET_LOAD);
    if (ext.presetLoad == nullptr)
        ext.presetLoad = hostExtension<clap_host_preset_load>(host, CLAP_EXT_PRESET_LOAD_COMPAT);
    return true;
}

void ClapEffect::destroy(const clap_plugin* plugin) {
    delete self(plugin);
}

bool ClapEffect::activate(const clap_plugin* plugin, double rate, uint32_t, uint32_t) {
    ClapEffect* effect = self(plugin);
    if (effect == nullptr || !(rate >= 1.0 && rate <= 1.0e6)) return false;
    if (!effect->core_->setSampleRate(static_cast<float>(rate))) return false;
    effect->core_->suspend();  // a fresh start, as a VST 2 host's resume after suspend
    return true;
}

void ClapEffect::deactivate(const clap_plugin*) {}

bool ClapEffect::startProcessing(const clap_plugin* plugin) {
    return self(plugin) != nullptr;
}

void ClapEffect::stopProcessing(const clap_plugin*) {}

void ClapEffect::reset(const clap_plugin* plugin) {
    if (ClapEffect* effect = self(plugin)) effect->core_->suspend();
}

void ClapEffect::onMainThread(const clap_plugin* plugin) {
    ClapEffect* effect = self(plugin);
    if (effect != nullptr && effect->editor) effect->editor->tick();
}

const void* ClapEffect::getExtension(const clap_plugin* plugin, const char* id) {
    if (self(plugin) == nullptr || id == nullptr) return nullptr;
    return findExtension(id);
}

// ---- events -----------------------------------------------------------------------

bool ClapEffect::applyEvent(const clap_event_header* event) {
    if (event == nullptr || event->space_id != CLAP_CORE_EVENT_SPACE_ID || event->type != CLAP_EVENT_PARAM_VALUE ||
        event->size < sizeof(clap_event_param_value))
        return false;
    clap_event_param_value change;
    std::memcpy(&change, event, sizeof change);  // the host's copy may be packed without alignment
    if (change.param_id >= kNumClapParams || !std::isfinite(change.value)) return false;
    core_->setParameter(static_cast<int>(change.param_id), static_cast<float>(change.value));
    editorValuesStale.store(true, std::memory_order_relaxed);
    return true;
}

void ClapEffect::flush(const clap_input_events* in, const clap_output_events* out) {
    if (in != nullptr && in->size != nullptr && in->get != nullptr) {
        const uint32_t count = std::min(in->size(in), kMaxEventsPerBlock);
        for (uint32_t i = 0; i < count; ++i) applyEvent(in->get(in, i));
    }
    sendEditorEvents(out);
}

void ClapEffect::sendEditorEvents(const clap_output_events* out) {
    if (out == nullptr || out->try_push == nullptr) return;
    for (uint32_t sent = 0; sent < GuiEventQueue::kCapacity; ++sent) {
        const GuiEvent* queued = editorEvents_.front();
        if (queued == nullptr) return;
        bool taken = false;
        if (queued->type == CLAP_EVENT_PARAM_VALUE) {
            clap_event_param_value event{};
            event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, CLAP_EVENT_IS_LIVE};
            event.param_id = queued->paramId;
            event.note_id = -1;
            event.port_index = -1;
            event.channel = -1;
            event.key = -1;
            event.value = queued->value;
            taken = out->try_push(out, &event.header);
        } else {
            clap_event_param_gesture event{};
            event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, queued->type, CLAP_EVENT_IS_LIVE};
            event.param_id = queued->paramId;
            taken = out->try_push(out, &event.header);
        }
        if (!taken) return;  // the rest waits for the next block
        editorEvents_.pop();
    }
}

bool ClapEffect::editorChanged(uint16_t eventType, int index, float value) {
    if (index < 0 || static_cast<uint32_t>(index) >= kNumClapParams) return false;
    if (eventType == CLAP_EVENT_PARAM_VALUE) core_->setParameter(index, value);
    // A full queue (a host that never flushes) loses automation points,
    // never the sound: the core has the value already. A slot stays free
    // for the end of an open gesture, so begin and end always pair.
    const uint32_t needed = eventType == CLAP_EVENT_PARAM_GESTURE_BEGIN ? 3 : eventType == CLAP_EVENT_PARAM_VALUE ? 2 : 1;
    const bool queued = editorEvents_.space() >= needed &&
                        editorEvents_.push({eventType, static_cast<uint32_t>(index), static_cast<double>(value)});
    if (hostExt_.params != nullptr && hostExt_.params->request_flush != nullptr)
        hostExt_.params->request_flush(host_);
    return queued;
}

void ClapEffect::valuesChangedHere() {
    if (hostExt_.params != nullptr && hostExt_.params->rescan != nullptr)
        hostExt_.params->rescan(host_, CLAP_PARAM_RESCAN_VALUES);
    if (editor) editor->refreshValues();
}

void ClapEffect::log(int32_t severity, const char* message) const {
    if (hostExt_.log != nullptr && hostExt_.log->log != nullptr) hostExt_.log->log(host_, severity, message);
}

// ---- audio ------------------------------------------------------------------------

clap_process_status ClapEffect::process(const clap_plugin* plugin, const clap_process* block) {
    ClapEffect* effect = self(plugin);
    if (effect == nullptr || block == nullptr) return CLAP_PROCESS_ERROR;
    return effect->run(*block);
}

clap_process_status ClapEffect::run(const clap_process& block) {
    const uint32_t frames = block.frames_count;
    Channels c;
    const bool audible = outputChannels(block, &c) && frames <= static_cast<uint32_t>(INT32_MAX);
    if (!audible) {
        silenceOutputs(block);
    } else if (!inputChannels(block, &c)) {
        // Silence in: the engine runs in place on cleared outputs.
        std::memset(c.outL, 0, sizeof(float) * frames);
        std::memset(c.outR, 0, sizeof(float) * frames);
        c.inL = c.outL;
        c.inR = c.outR;
    }

    // Audio up to each event's offset, then the event: the same calls a
    // VST 2 host makes with a block boundary there.
    uint32_t done = 0;
    auto runTo = [&](uint32_t end) {
        if (!audible || end <= done) return;
        core_->process(c.inL + done, c.inR + done, c.outL + done, c.outR + done, static_cast<int32_t>(end - done),
                       CounterTiming::AdvanceBeforeUpdate);
        done = end;
    };
    const clap_input_events* in = block.in_events;
    if (in != nullptr && in->size != nullptr && in->get != nullptr) {
        const uint32_t count = std::min(in->size(in), kMaxEventsPerBlock);
        for (uint32_t i = 0; i < count; ++i) {
            const clap_event_header* event = in->get(in, i);
            if (event == nullptr || event->space_id != CLAP_CORE_EVENT_SPACE_ID || event->type != CLAP_EVENT_PARAM_VALUE)
                continue;
            // Offsets past the block apply after its last frame; out-of-order ones where we are.
            runTo(std::min(event->time, frames));
            applyEvent(event);
        }
    }
    runTo(frames);
    if (audible) block.audio_outputs[0].constant_mask = 0;

    if (frames > 0) sendEditorEvents(block.out_events);  // each at frame 0, which must lie in the block
    return audible ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_ERROR;
}

}  // namespace vardelline::clapfx
