// One plug-in instance driven the way a host drives it: created through the
// library's entry point with our callback, opened, told the sample rate and
// block size, resumed for processing, suspended and closed. The callback
// answers the plug-in's requests from this instance's own settings.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "tools/host/hosted_plugin.h"
#include "tools/host/plugin_library.h"
#include "vst/aeffectx.h"

namespace vardelline::host {

// Tempo and metre the host reports through its time info.
constexpr double kHostTempo = 120.0;
constexpr int kHostTimeSigNumerator = 4;
constexpr int kHostTimeSigDenominator = 4;

class PluginInstance : public HostedPlugin {
public:
    // Calls the entry point, checks the descriptor, then sends effOpen,
    // effSetSampleRate and effSetBlockSize. Throws HostError naming the
    // library when the plug-in refuses to start, is not a VST 2 effect or is
    // a CLAP library.
    PluginInstance(std::shared_ptr<PluginLibrary> library, const HostSettings& settings);
    // Suspends if still resumed, then effClose.
    ~PluginInstance() override;

    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    AEffect& effect() const { return *effect_; }
    const PluginLibrary& library() const { return *library_; }
    const HostSettings& settings() const override { return settings_; }
    const std::string& path() const override { return library_->path(); }
    const char* formatName() const override { return "VST 2"; }
    PluginInstance* vst2() override { return this; }

    // New rate and block size; suspends first, as hosts do.
    void configure(const HostSettings& settings) override;
    void resume() override;   // effMainsChanged(1)
    void suspend() override;  // effMainsChanged(0)
    bool isResumed() const { return resumed_; }

    // One block through processReplacing; frames must not exceed the block size.
    void processReplacing(float** inputs, float** outputs, int frames) override;
    int inputCount() override { return effect_->numInputs; }
    int outputCount() override { return effect_->numOutputs; }
    std::string renderingProblem() override;

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
    int parameterCount() override { return effect_->numParams; }
    void setParameter(int index, float value) override;
    float getParameter(int index) const override;
    bool isAutomatable(int index) override;
    int programCount() override { return effect_->numPrograms; }
    void setProgram(int index) override;
    int program() override;

    // Texts the plug-in writes into host buffers; empty when it writes none.
    std::string parameterName(int index) override;
    std::string parameterLabel(int index) override;
    std::string parameterDisplay(int index) override;
    std::string programName(int index) override;  // through effGetProgramNameIndexed
    std::string currentProgramName() override;
    std::string effectName() override;
    std::string vendorString();
    std::string productString();

    void printDescription() override;                            // plugin_instance_description.cpp
    std::unique_ptr<HeadlessEditor> openHeadlessEditor(double scale) override;  // plugin_instance_editor.cpp

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
