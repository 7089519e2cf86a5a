// One plug-in instance driven the way a host drives it: created through the
// library's entry point with our callback, opened, told the sample rate and
// block size, resumed for processing, suspended and closed. The callback
// answers the plug-in's requests from this instance's own settings.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "tools/host/plugin_library.h"
#include "vst/aeffectx.h"

namespace vardelline::host {

struct HostSettings {
    double sampleRate = 44100.0;
    int blockSize = 512;  // the largest block processReplacing will be given
};

// Tempo and metre the host reports through its time info.
constexpr double kHostTempo = 120.0;
constexpr int kHostTimeSigNumerator = 4;
constexpr int kHostTimeSigDenominator = 4;

class PluginInstance {
public:
    // Calls the entry point, checks the descriptor, then sends effOpen,
    // effSetSampleRate and effSetBlockSize. Throws HostError naming the
    // library when the plug-in refuses to start or is not a VST 2 effect.
    PluginInstance(std::shared_ptr<PluginLibrary> library, const HostSettings& settings);
    // Suspends if still resumed, then effClose.
    ~PluginInstance();

    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect& effect() const { return *effect_; }
    const PluginLibrary& library() const { return *library_; }
    const HostSettings& settings() const { return settings_; }

    // New rate and block size; only while suspended, as hosts do.
    void configure(const HostSettings& settings);
    void resume();   // effMainsChanged(1)
    void suspend();  // effMainsChanged(0)
    bool isResumed() const { return resumed_; }

    // One block through processReplacing; frames must not exceed the block size.
    void processReplacing(float** inputs, float** outputs, int frames);

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    void setParameter(int index, float value);
    float getParameter(int index) const;
    void setProgram(int index);
    int program();

    // Texts the plug-in writes into host buffers; empty when it writes none.
    std::string parameterName(int index);
    std::string parameterLabel(int index);
    std::string parameterDisplay(int index);
    std::string programName(int index);  // through effGetProgramNameIndexed
    std::string currentProgramName();
    std::string effectName();
    std::string vendorString();
    std::string productString();

    // Called for every audioMasterAutomate, on the thread the plug-in sends it from.
    void setAutomationListener(std::function<void(int index, float value)> listener);
    // Called for every audioMasterBeginEdit (begins true) and
    // audioMasterEndEdit (false): the start and end of a user's gesture.
    void setEditListener(std::function<void(int index, bool begins)> listener);
    unsigned automationCount() const { return automationCount_.load(); }

    // The record handed out for audioMasterGetTime, refreshed on each request.
    const VstTimeInfo& timeInfo() const { return timeInfo_; }

private:
    static VstIntPtr VST_CALL hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                           float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, float opt);
    void refreshTimeInfo();
    void sendSettings();
    std::string queryText(VstInt32 opcode, VstInt32 index, VstIntPtr value = 0);

    std::shared_ptr<PluginLibrary> library_;
    HostSettings settings_;  // written only while suspended; read by the callback
    AEffect* effect_ = nullptr;
    bool resumed_ = false;

    // Owned by the thread that processes: advanced after every block.
    double samplePosition_ = 0.0;
    // Kept alive for the plug-in between requests; written by the callback.
    VstTimeInfo timeInfo_{};

    std::function<void(int, float)> automationListener_;
    std::function<void(int, bool)> editListener_;
    std::atomic<unsigned> automationCount_{0};
};

}  // namespace vardelline::host
