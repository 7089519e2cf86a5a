// The test host's library loading, event lists, host table and streams.
#include "clap_test_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <stdexcept>

namespace claptest {

// ---- library ----------------------------------------------------------------------

ClapLibrary::ClapLibrary(const char* path) {
    handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) throw std::runtime_error(dlerror());
    entry = static_cast<const clap_plugin_entry*>(dlsym(handle_, "clap_entry"));
    if (entry == nullptr || !entry->init(path)) throw std::runtime_error("no usable clap_entry");
    factory = static_cast<const clap_plugin_factory*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
}

ClapLibrary::~ClapLibrary() {
    if (entry != nullptr) entry->deinit();
    if (handle_ != nullptr) dlclose(handle_);
}

// ---- events -----------------------------------------------------------------------

InputEvents::InputEvents() {
    list_.ctx = this;
    list_.size = &InputEvents::size;
    list_.get = &InputEvents::get;
}

void InputEvents::add(const clap_event_header& event) {
    std::vector<uint64_t> copy((event.size + 7) / 8 + 1, 0);
    std::memcpy(copy.data(), &event, event.size);
    events_.push_back(std::move(copy));
}

void InputEvents::addValue(uint32_t time, clap_id id, double value) {
    clap_event_param_value event{};
    event.header = {sizeof event, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = -1;
    event.channel = -1;
    event.key = -1;
    event.value = value;
    add(event.header);
}

void InputEvents::clear() {
    events_.clear();
}

uint32_t InputEvents::size(const clap_input_events* list) {
    const auto* self = static_cast<const InputEvents*>(list->ctx);
    const uint32_t real = static_cast<uint32_t>(self->events_.size());
    return self->claimedSize == UINT32_MAX ? real : self->claimedSize;
}

const clap_event_header* InputEvents::get(const clap_input_events* list, uint32_t index) {
    const auto* self = static_cast<const InputEvents*>(list->ctx);
    if (index >= self->events_.size()) return nullptr;
    return reinterpret_cast<const clap_event_header*>(self->events_[index].data());
}

OutputEvents::OutputEvents() {
    list_.ctx = this;
    list_.try_push = &OutputEvents::tryPush;
}

bool OutputEvents::tryPush(const clap_output_events* list, const clap_event_header* event) {
    auto* self = static_cast<OutputEvents*>(list->ctx);
    if (self->refuse || event == nullptr) return false;
    Event copy{};
    copy.header = *event;
    if (event->type == CLAP_EVENT_PARAM_VALUE && event->size >= sizeof(clap_event_param_value)) {
        const auto* value = reinterpret_cast<const clap_event_param_value*>(event);
        copy.paramId = value->param_id;
        copy.value = value->value;
    } else if (event->size >= sizeof(clap_event_param_gesture)) {
        copy.paramId = reinterpret_cast<const clap_event_param_gesture*>(event)->param_id;
    }
    self->events.push_back(copy);
    return true;
}

// ---- host -------------------------------------------------------------------------

namespace {

void VCLAP_ABI rescan(const clap_host* host, uint32_t) {
    ++TestHost::of(host)->rescans;
}
void VCLAP_ABI clearParam(const clap_host*, clap_id, uint32_t) {}
void VCLAP_ABI requestFlush(const clap_host* host) {
    ++TestHost::of(host)->requestFlushes;
}
void VCLAP_ABI logMessage(const clap_host* host, int32_t, const char* message) {
    TestHost::of(host)->logged.push_back(message ? message : "");
}
bool VCLAP_ABI registerTimer(const clap_host* host, uint32_t, clap_id* id) {
    TestHost* self = TestHost::of(host);
    *id = static_cast<clap_id>(++self->timersRegistered);
    self->timers.push_back(*id);
    return true;
}
bool VCLAP_ABI unregisterTimer(const clap_host* host, clap_id id) {
    auto& timers = TestHost::of(host)->timers;
    auto found = std::find(timers.begin(), timers.end(), id);
    if (found == timers.end()) return false;
    timers.erase(found);
    return true;
}
bool VCLAP_ABI registerFd(const clap_host* host, int fd, uint32_t) {
    TestHost::of(host)->fds.push_back(fd);
    return true;
}
bool VCLAP_ABI modifyFd(const clap_host*, int, uint32_t) {
    return true;
}
bool VCLAP_ABI unregisterFd(const clap_host* host, int fd) {
    auto& fds = TestHost::of(host)->fds;
    auto found = std::find(fds.begin(), fds.end(), fd);
    if (found == fds.end()) return false;
    fds.erase(found);
    return true;
}
void VCLAP_ABI presetError(const clap_host* host, uint32_t, const char*, const char*, int32_t, const char*) {
    ++TestHost::of(host)->presetErrors;
}
void VCLAP_ABI presetLoaded(const clap_host* host, uint32_t, const char*, const char* key) {
    TestHost::of(host)->presetsLoaded.push_back(key ? key : "(null)");
}

constexpr clap_host_params kParams = {rescan, clearParam, requestFlush};
constexpr clap_host_log kLog = {logMessage};
constexpr clap_host_timer_support kTimers = {registerTimer, unregisterTimer};
constexpr clap_host_posix_fd_support kFds = {registerFd, modifyFd, unregisterFd};
constexpr clap_host_preset_load kPresetLoad = {presetError, presetLoaded};

}  // namespace

TestHost::TestHost() {
    host_.clap_version = CLAP_VERSION_CURRENT;
    host_.host_data = this;
    host_.name = "claptest";
    host_.vendor = "";
    host_.url = "";
    host_.version = "1";
    host_.get_extension = &TestHost::extension;
    host_.request_restart = &TestHost::request;
    host_.request_process = &TestHost::request;
    host_.request_callback = &TestHost::requestCallback;
}

const void* TestHost::extension(const clap_host* host, const char* id) {
    TestHost* self = of(host);
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) return &kParams;
    if (std::strcmp(id, CLAP_EXT_LOG) == 0) return &kLog;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return self->offerTimers ? &kTimers : nullptr;
    if (std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT) == 0) return self->offerFds ? &kFds : nullptr;
    if (std::strcmp(id, CLAP_EXT_PRESET_LOAD) == 0) return &kPresetLoad;
    return nullptr;
}

void TestHost::requestCallback(const clap_host* host) {
    ++of(host)->callbacksRequested;
}

// ---- instance ---------------------------------------------------------------------

Instance::Instance(ClapLibrary& library, TestHost& host) {
    plugin = library.factory->create_plugin(library.factory, host.table(), "com.quorvane.vardelline");
    if (plugin == nullptr || !plugin->init(plugin)) throw std::runtime_error("no instance");
    params = extension<clap_plugin_params>(CLAP_EXT_PARAMS);
    state = extension<clap_plugin_state>(CLAP_EXT_STATE);
}

Instance::~Instance() {
    deactivate();
    if (plugin != nullptr) plugin->destroy(plugin);
}

bool Instance::activate(double rate, uint32_t maxFrames) {
    active_ = plugin->activate(plugin, rate, 1, maxFrames);
    if (active_) processing_ = plugin->start_processing(plugin);
    return active_ && processing_;
}

void Instance::deactivate() {
    if (processing_) plugin->stop_processing(plugin);
    if (active_) plugin->deactivate(plugin);
    processing_ = active_ = false;
}

clap_process_status Instance::process(const float* inL, const float* inR, float* outL, float* outR, uint32_t frames,
                                      const InputEvents* in, OutputEvents* out) {
    static const InputEvents kNoEvents;
    OutputEvents discard;
    float* inputs[2] = {const_cast<float*>(inL), const_cast<float*>(inR)};
    float* outputs[2] = {outL, outR};
    clap_audio_buffer input{inputs, nullptr, 2, 0, 0};
    clap_audio_buffer output{outputs, nullptr, 2, 0, 0};
    clap_process block{};
    block.steady_time = -1;
    block.frames_count = frames;
    block.audio_inputs = &input;
    block.audio_outputs = &output;
    block.audio_inputs_count = 1;
    block.audio_outputs_count = 1;
    block.in_events = (in != nullptr ? in : &kNoEvents)->list();
    block.out_events = (out != nullptr ? out : &discard)->list();
    return plugin->process(plugin, &block);
}

// ---- streams ----------------------------------------------------------------------

namespace {

int64_t VCLAP_ABI writeStream(const clap_ostream* stream, const void* buffer, uint64_t size) {
    auto* self = static_cast<MemoryStream*>(stream->ctx);
    if (self->failWrites) return -1;
    const size_t n = static_cast<size_t>(std::min<uint64_t>(size, self->chunk));
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    self->bytes.insert(self->bytes.end(), bytes, bytes + n);
    return static_cast<int64_t>(n);
}

int64_t VCLAP_ABI readStream(const clap_istream* stream, void* buffer, uint64_t size) {
    auto* self = static_cast<MemoryStream*>(stream->ctx);
    const size_t left = self->bytes.size() - self->position;
    const size_t n = static_cast<size_t>(std::min<uint64_t>({size, self->chunk, left}));
    if (n > 0) std::memcpy(buffer, self->bytes.data() + self->position, n);
    self->position += n;
    return static_cast<int64_t>(n);
}

}  // namespace

clap_ostream MemoryStream::out() const {
    return {const_cast<MemoryStream*>(this), writeStream};
}

clap_istream MemoryStream::in() const {
    return {const_cast<MemoryStream*>(this), readStream};
}

std::vector<float> testSignal(size_t frames, uint32_t seed) {
    std::vector<float> signal(frames);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < frames; ++i) {
        state = state * 1664525u + 1013904223u;
        const float noise = static_cast<float>(static_cast<int32_t>(state)) / 2147483648.0f;
        signal[i] = 0.3f * noise + (i % 997 == 0 ? 0.9f : 0.0f);
    }
    return signal;
}

}  // namespace claptest
