// One plug-in instance as the validator drives it: created through the
// library's entry point with a host callback of a chosen behaviour, used only
// through the descriptor, and closed with effClose. Unlike PluginInstance it
// may be refused (the entry point returns null) and it keeps no state that
// two threads could write, so it can be stressed from several threads.
#pragma once

#include <atomic>
#include <memory>

#include "tools/host/plugin_library.h"
#include "vst/aeffectx.h"

namespace vardelline::host::validate {

// How the host callback answers.
enum class HostBehaviour {
    Full,         // version 2400, the sample rate, block size and a time info
    VersionOnly,  // the version query answered, 0 to everything else
    ZeroVersion,  // 0 to the version query, normal otherwise
    AllZero,      // 0 to everything
};

// Calls the entry point with a callback of the given behaviour (or a null
// callback); returns what it returns.
AEffect* callEntry(const PluginLibrary& library, HostBehaviour behaviour, bool nullCallback = false);

// How many times the callbacks of callEntry have been called on this thread
// while no instance existed yet (effect argument null).
unsigned requestsWithoutEffect();

class Subject {
public:
    // Null when the plug-in refuses to start with this host.
    static std::unique_ptr<Subject> create(const PluginLibrary& library, HostBehaviour behaviour = HostBehaviour::Full,
                                           float sampleRate = 44100.0f, int blockSize = 4096);
    ~Subject();  // effClose
    Subject(const Subject&) = delete;
    Subject& operator=(const Subject&) = delete;

    AEffect& effect() { return *effect_; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
    }
    void setParameter(VstInt32 index, float value) { effect_->setParameter(effect_, index, value); }
    float getParameter(VstInt32 index) { return effect_->getParameter(effect_, index); }
    void processReplacing(float** in, float** out, int frames) { effect_->processReplacing(effect_, in, out, frames); }
    void process(float** in, float** out, int frames) { effect_->process(effect_, in, out, frames); }

    // Host-side steps: rate and block size, then resume (effMainsChanged 1).
    void start(float sampleRate, int blockSize);
    void setProgram(int program) { dispatch(effSetProgram, 0, program); }
    int program() { return static_cast<int>(dispatch(effGetProgram)); }

    // Closes now (effClose) instead of in the destructor; returns the answer.
    VstIntPtr close();

    // audioMasterAutomate requests received, from any thread.
    unsigned automations() const { return automations_.load(); }
    // Requests the plug-in made of this instance's host, from any thread.
    unsigned requests() const { return requests_.load(); }

private:
    Subject() = default;
    static VstIntPtr VST_CALL callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                       float opt);
    VstIntPtr answer(VstInt32 opcode);

    AEffect* effect_ = nullptr;
    HostBehaviour behaviour_ = HostBehaviour::Full;
    float sampleRate_ = 44100.0f;
    int blockSize_ = 4096;
    VstTimeInfo timeInfo_{};  // written before the instance exists; only read afterwards
    std::atomic<unsigned> automations_{0};
    std::atomic<unsigned> requests_{0};
};

}  // namespace vardelline::host::validate
