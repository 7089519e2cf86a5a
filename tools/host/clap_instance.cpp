// The host side of one CLAP instance: the host table, the lifecycle around
// processing, parameter values in and out, presets.
#include "tools/host/clap_instance.h"

#include <cmath>

#include "clap/abi/preset_discovery.h"
#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {

constexpr uint32_t kTextSize = 256;

// An input event list over value events the host owns.
struct ValueEvents {
    const std::vector<clap_event_param_value>& values;
    clap_input_events list{const_cast<ValueEvents*>(this), size, get};

    explicit ValueEvents(const std::vector<clap_event_param_value>& events) : values(events) {}
    static uint32_t VCLAP_ABI size(const clap_input_events* l) {
        return static_cast<uint32_t>(static_cast<const ValueEvents*>(l->ctx)->values.size());
    }
    static const clap_event_header* VCLAP_ABI get(const clap_input_events* l, uint32_t i) {
        const auto& values = static_cast<const ValueEvents*>(l->ctx)->values;
        return i < values.size() ? &values[i].header : nullptr;
    }
};

// What the plug-in sends back (gestures and values from its editor) is not needed here.
bool VCLAP_ABI discard(const clap_output_events*, const clap_event_header*) {
    return true;
}
constexpr clap_output_events kDiscard = {nullptr, discard};

clap_event_param_value valueEvent(clap_id id, double value) {
    clap_event_param_value event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.note_id = -1;
    event.port_index = event.channel = event.key = -1;
    event.value = value;
    return event;
}

}  // namespace

ClapInstance::ClapInstance(std::shared_ptr<ClapModule> module, const HostSettings& settings)
    : module_(std::move(module)), settings_(settings) {
    host_ = {CLAP_VERSION_CURRENT, this, "vardelline-host", "Quorvane", "", "1", hostExtension,
             hostRequest,          hostRequest, hostRequest};
    const clap_plugin_factory& factory = module_->factory();
    plugin_ = factory.create_plugin(&factory, &host_, module_->descriptor().id);
    if (plugin_ == nullptr) throw HostError(path() + ": plug-in refused to start (create_plugin gave nothing)");
    if (!plugin_->init(plugin_)) {
        plugin_->destroy(plugin_);
        throw HostError(path() + ": plug-in refused to start (its init failed)");
    }
    params_ = static_cast<const clap_plugin_params*>(extension(CLAP_EXT_PARAMS));
    if (params_ == nullptr || extension(CLAP_EXT_PRESET_LOAD) == nullptr) {
        plugin_->destroy(plugin_);
        throw HostError(path() + ": the CLAP plug-in lacks the params or preset-load extension");
    }
    const uint32_t count = params_->count(plugin_);
    for (uint32_t i = 0; i < count; ++i) {
        clap_param_info info{};
        if (params_->get_info(plugin_, i, &info)) {
            info.name[sizeof info.name - 1] = '\0';
            parameters_.push_back(info);
        }
    }
}

ClapInstance::~ClapInstance() {
    if (resumed_) suspend();
    plugin_->destroy(plugin_);
}

const void* ClapInstance::extension(const char* id) const {
    return plugin_->get_extension(plugin_, id);
}

clap_id ClapInstance::parameterId(int index) const {
    return index >= 0 && index < static_cast<int>(parameters_.size()) ? parameters_[index].id : CLAP_INVALID_ID;
}

const void* VCLAP_ABI ClapInstance::hostExtension(const clap_host*, const char*) {
    return nullptr;
}

void VCLAP_ABI ClapInstance::hostRequest(const clap_host*) {}

void ClapInstance::configure(const HostSettings& settings) {
    if (resumed_) suspend();
    settings_ = settings;
}

void ClapInstance::resume() {
    if (resumed_) return;
    if (!plugin_->activate(plugin_, settings_.sampleRate, 1, static_cast<uint32_t>(settings_.blockSize)))
        throw HostError(path() + ": the plug-in refused to activate at " + std::to_string(settings_.sampleRate) + " Hz");
    if (!plugin_->start_processing(plugin_)) {
        plugin_->deactivate(plugin_);
        throw HostError(path() + ": the plug-in refused to start processing");
    }
    resumed_ = true;
}

void ClapInstance::suspend() {
    if (!resumed_) return;
    plugin_->stop_processing(plugin_);
    plugin_->deactivate(plugin_);
    resumed_ = false;
    flushPending();
}

void ClapInstance::processReplacing(float** inputs, float** outputs, int frames) {
    ValueEvents events(pending_);
    clap_audio_buffer input{inputs, nullptr, 2, 0, 0};
    clap_audio_buffer output{outputs, nullptr, 2, 0, 0};
    const clap_process process{steadyTime_, static_cast<uint32_t>(frames), nullptr, &input, &output, 1, 1,
                               &events.list, &kDiscard};
    plugin_->process(plugin_, &process);
    pending_.clear();
    steadyTime_ += frames;
}

int ClapInstance::channelCount(bool input) {
    auto ports = static_cast<const clap_plugin_audio_ports*>(extension(CLAP_EXT_AUDIO_PORTS));
    if (ports == nullptr) return 0;
    clap_audio_port_info info{};
    // The main port is the first; the render loop feeds that one alone.
    if (ports->count(plugin_, input) == 0 || !ports->get(plugin_, 0, input, &info)) return 0;
    return static_cast<int>(info.channel_count);
}

void ClapInstance::flushPending() {
    if (pending_.empty()) return;
    ValueEvents events(pending_);
    params_->flush(plugin_, &events.list, &kDiscard);
    pending_.clear();
}

void ClapInstance::setParameter(int index, float value) {
    const clap_id id = parameterId(index);
    if (id == CLAP_INVALID_ID) return;
    pending_.push_back(valueEvent(id, value));
    if (!resumed_) flushPending();
}

float ClapInstance::getParameter(int index) const {
    const clap_id id = parameterId(index);
    // A value waiting for the next block is what the plug-in will have.
    for (auto it = pending_.rbegin(); it != pending_.rend(); ++it)
        if (it->param_id == id) return static_cast<float>(it->value);
    double value = 0.0;
    if (id == CLAP_INVALID_ID || !params_->get_value(plugin_, id, &value)) return 0.0f;
    return static_cast<float>(value);
}

std::string ClapInstance::parameterName(int index) {
    return parameterId(index) != CLAP_INVALID_ID ? parameters_[index].name : "";
}

std::string ClapInstance::parameterDisplay(int index) {
    const clap_id id = parameterId(index);
    char text[kTextSize] = {};
    if (id == CLAP_INVALID_ID || !params_->value_to_text(plugin_, id, getParameter(index), text, kTextSize)) return "";
    text[kTextSize - 1] = '\0';
    return text;
}

bool ClapInstance::isAutomatable(int index) {
    return parameterId(index) != CLAP_INVALID_ID && (parameters_[index].flags & CLAP_PARAM_IS_AUTOMATABLE) != 0;
}

void ClapInstance::setProgram(int index) {
    if (index < 0 || index >= programCount()) return;
    auto load = static_cast<const clap_plugin_preset_load*>(extension(CLAP_EXT_PRESET_LOAD));
    if (load->from_location(plugin_, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr,
                            module_->presets()[index].loadKey.c_str()))
        program_ = index;
}

std::string ClapInstance::programName(int index) {
    return index >= 0 && index < programCount() ? module_->presets()[index].name : "";
}

std::string ClapInstance::effectName() {
    const char* name = module_->descriptor().name;
    return name != nullptr ? name : "";
}

}  // namespace vardelline::host
