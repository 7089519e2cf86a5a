// The host side of one plug-in instance: the callback the plug-in calls and
// the host protocol around processing.
#include "tools/host/plugin_instance.h"

#include <cmath>
#include <cstring>

#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {

// The host interface version this host implements.
constexpr VstIntPtr kHostVstVersion = 2400;

// Text buffers handed to the plug-in: far larger than any interface bound,
// since plug-ins often write longer texts than the bounds allow.
constexpr size_t kTextBufferSize = 256;

// The instance whose entry point call is in progress on this thread: the
// plug-in may ask for the sample rate before we know its descriptor.
thread_local PluginInstance* constructingInstance = nullptr;

struct ConstructionScope {
    explicit ConstructionScope(PluginInstance* instance) { constructingInstance = instance; }
    ~ConstructionScope() { constructingInstance = nullptr; }
};

}  // namespace

PluginInstance::PluginInstance(std::shared_ptr<PluginLibrary> library, const HostSettings& settings)
    : library_(std::move(library)), settings_(settings) {
    if (library_->format() != PluginFormat::Vst2)
        throw HostError(library_->path() + ": a CLAP plug-in; this needs the VST 2 library");
    {
        ConstructionScope scope(this);
        effect_ = library_->entry()(&PluginInstance::hostCallback);
    }
    if (effect_ == nullptr)
        throw HostError(library_->path() + ": plug-in refused to start (its entry point returned no effect)");
    if (effect_->magic != kEffectMagic) throw HostError(library_->path() + ": not a VST 2 effect (bad magic number)");
    // The descriptor's user field is left for the host: it leads the callback back here.
    effect_->user = this;

    dispatch(effOpen);
    sendSettings();
}

PluginInstance::~PluginInstance() {
    if (resumed_) suspend();
    dispatch(effClose);
}

void PluginInstance::sendSettings() {
    dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(settings_.sampleRate));
    dispatch(effSetBlockSize, 0, settings_.blockSize);
}

void PluginInstance::configure(const HostSettings& settings) {
    if (resumed_) suspend();
    settings_ = settings;
    sendSettings();
}

void PluginInstance::resume() {
    resumed_ = true;
    dispatch(effMainsChanged, 0, 1);
}

void PluginInstance::suspend() {
    dispatch(effMainsChanged, 0, 0);
    resumed_ = false;
}

void PluginInstance::processReplacing(float** inputs, float** outputs, int frames) {
    effect_->processReplacing(effect_, inputs, outputs, frames);
    samplePosition_ += frames;
}

std::string PluginInstance::renderingProblem() {
    if ((effect_->flags & effFlagsCanReplacing) == 0 || effect_->processReplacing == nullptr)
        return "plug-in cannot process in place (no processReplacing)";
    return "";
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

void PluginInstance::setParameter(int index, float value) {
    effect_->setParameter(effect_, index, value);
}

float PluginInstance::getParameter(int index) const {
    return effect_->getParameter(effect_, index);
}

bool PluginInstance::isAutomatable(int index) {
    return dispatch(effCanBeAutomated, index) != 0;
}

void PluginInstance::setProgram(int index) {
    dispatch(effSetProgram, 0, index);
}

int PluginInstance::program() {
    return static_cast<int>(dispatch(effGetProgram));
}

std::string PluginInstance::queryText(VstInt32 opcode, VstInt32 index, VstIntPtr value) {
    char text[kTextBufferSize] = {};
    dispatch(opcode, index, value, text);
    text[kTextBufferSize - 1] = '\0';
    return text;
}

std::string PluginInstance::parameterName(int index) {
    return queryText(effGetParamName, index);
}
std::string PluginInstance::parameterLabel(int index) {
    return queryText(effGetParamLabel, index);
}
std::string PluginInstance::parameterDisplay(int index) {
    return queryText(effGetParamDisplay, index);
}
std::string PluginInstance::programName(int index) {
    return queryText(effGetProgramNameIndexed, index, -1);
}
std::string PluginInstance::currentProgramName() {
    return queryText(effGetProgramName, 0);
}
std::string PluginInstance::effectName() {
    return queryText(effGetEffectName, 0);
}
std::string PluginInstance::vendorString() {
    return queryText(effGetVendorString, 0);
}
std::string PluginInstance::productString() {
    return queryText(effGetProductString, 0);
}

void PluginInstance::setAutomationListener(std::function<void(int, float)> listener) {
    automationListener_ = std::move(listener);
}

void PluginInstance::setEditListener(std::function<void(int, bool)> listener) {
    editListener_ = std::move(listener);
}

void PluginInstance::refreshTimeInfo() {
    const double beats = samplePosition_ / settings_.sampleRate * kHostTempo / 60.0;
    const double beatsPerBar = kHostTimeSigNumerator * 4.0 / kHostTimeSigDenominator;
    timeInfo_ = VstTimeInfo{};
    timeInfo_.samplePos = samplePosition_;
    timeInfo_.sampleRate = settings_.sampleRate;
    timeInfo_.ppqPos = beats;
    timeInfo_.tempo = kHostTempo;
    timeInfo_.barStartPos = std::floor(beats / beatsPerBar) * beatsPerBar;
    timeInfo_.timeSigNumerator = kHostTimeSigNumerator;
    timeInfo_.timeSigDenominator = kHostTimeSigDenominator;
    timeInfo_.flags = resumed_ ? kVstTransportPlaying : 0;
}

VstIntPtr PluginInstance::answer(VstInt32 opcode, VstInt32 index, float opt) {
    switch (opcode) {
        case audioMasterGetSampleRate: return static_cast<VstIntPtr>(std::lround(settings_.sampleRate));
        case audioMasterGetBlockSize: return settings_.blockSize;
        case audioMasterGetTime: refreshTimeInfo(); return reinterpret_cast<VstIntPtr>(&timeInfo_);
        case audioMasterAutomate:
            automationCount_.fetch_add(1);
            if (automationListener_) automationListener_(index, opt);
            return 0;
        case audioMasterBeginEdit:
        case audioMasterEndEdit:
            if (editListener_) editListener_(index, opcode == audioMasterBeginEdit);
            return 1;
        default: return 0;
    }
}

VstIntPtr VST_CALL PluginInstance::hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr, void*,
                                                float opt) {
    if (opcode == audioMasterVersion) return kHostVstVersion;
    PluginInstance* instance = constructingInstance;
    if (effect != nullptr && effect->user != nullptr) instance = static_cast<PluginInstance*>(effect->user);
    return instance != nullptr ? instance->answer(opcode, index, opt) : 0;
}

}  // namespace vardelline::host
