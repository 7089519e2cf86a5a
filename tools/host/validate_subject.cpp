// The validator's host callbacks and instance handling.
#include "tools/host/validate_subject.h"

namespace vardelline::host::validate {

namespace {

constexpr VstIntPtr kHostVersion = 2400;

// The instance whose entry point call is running on this thread: the plug-in
// asks for the sample rate before the host knows its descriptor.
thread_local Subject* constructing = nullptr;
thread_local unsigned requestsBeforeEffect = 0;
thread_local HostBehaviour entryBehaviour = HostBehaviour::Full;

VstIntPtr VST_CALL bareCallback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    if (effect == nullptr) ++requestsBeforeEffect;
    switch (entryBehaviour) {
        case HostBehaviour::AllZero:
        case HostBehaviour::ZeroVersion: return 0;
        default: return opcode == audioMasterVersion ? kHostVersion : 0;
    }
}

}  // namespace

AEffect* callEntry(const PluginLibrary& library, HostBehaviour behaviour, bool nullCallback) {
    requestsBeforeEffect = 0;
    entryBehaviour = behaviour;
    return library.entry()(nullCallback ? nullptr : &bareCallback);
}

unsigned requestsWithoutEffect() {
    return requestsBeforeEffect;
}

std::unique_ptr<Subject> Subject::create(const PluginLibrary& library, HostBehaviour behaviour, float sampleRate,
                                         int blockSize) {
    std::unique_ptr<Subject> subject(new Subject);
    subject->behaviour_ = behaviour;
    subject->sampleRate_ = sampleRate;
    subject->blockSize_ = blockSize;
    VstTimeInfo& time = subject->timeInfo_;
    time.sampleRate = sampleRate;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTransportPlaying;
    constructing = subject.get();
    subject->effect_ = library.entry()(&Subject::callback);
    constructing = nullptr;
    if (subject->effect_ == nullptr) return nullptr;
    subject->effect_->user = subject.get();
    subject->dispatch(effOpen);
    return subject;
}

Subject::~Subject() {
    close();
}

VstIntPtr Subject::close() {
    if (effect_ == nullptr) return 0;
    AEffect* effect = effect_;
    effect_ = nullptr;
    return effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

void Subject::start(float sampleRate, int blockSize) {
    dispatch(effMainsChanged, 0, 0);
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
    dispatch(effMainsChanged, 0, 1);
}

VstIntPtr Subject::answer(VstInt32 opcode) {
    requests_.fetch_add(1, std::memory_order_relaxed);
    const bool full = behaviour_ == HostBehaviour::Full;
    switch (opcode) {
        case audioMasterVersion:
            return behaviour_ == HostBehaviour::ZeroVersion || behaviour_ == HostBehaviour::AllZero ? 0 : kHostVersion;
        case audioMasterAutomate: automations_.fetch_add(1, std::memory_order_relaxed); return 0;
        case audioMasterGetSampleRate: return full ? static_cast<VstIntPtr>(sampleRate_) : 0;
        case audioMasterGetBlockSize: return full ? blockSize_ : 0;
        case audioMasterGetTime: return full ? reinterpret_cast<VstIntPtr>(&timeInfo_) : 0;
        default: return 0;
    }
}

VstIntPtr VST_CALL Subject::callback(AEffect* effect, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    Subject* subject = constructing;
    if (effect != nullptr && effect->user != nullptr) subject = static_cast<Subject*>(effect->user);
    if (subject == nullptr) return opcode == audioMasterVersion ? kHostVersion : 0;
    return subject->answer(opcode);
}

}  // namespace vardelline::host::validate
