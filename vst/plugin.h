// APlugin: the effect object the host creates through main. It answers the
// host's questions and turns its calls into calls on the effect core, which
// keeps the parameters and the eight programs and hands every change to the
// band engine without ever making the audio thread wait.
#pragma once

#include <atomic>

#include "model/effect_core.h"
#include "vst/audio_effect_x.h"

class APlugin : public AudioEffectX {
public:
    explicit APlugin(audioMasterCallback audioMaster);
    ~APlugin() override;

    // The object is large (the delay lines live inline) and must start
    // zero-filled; it comes from zeroed pages that are only made resident
    // where the engine touches them.
    static void* operator new(size_t size);
    static void operator delete(void* memory, size_t size);

    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;
    void getParameterName(VstInt32 index, char* text) override;
    bool canParameterBeAutomated(VstInt32 index) override { return vardelline::paramIsAudible(index); }

    void setProgram(VstInt32 program) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

    void setSampleRate(float newSampleRate) override;
    void setBlockSizeAndSampleRate(VstInt32 newBlockSize, float newSampleRate) override;
    void suspend() override;
    void resume() override;
    float getVu() override { return 0.0f; }
    VstInt32 getProgram() override { return core.currentProgram(); }

    void process(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;

    VstInt32 processEvents(VstEvents* events) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1; }
    VstInt32 canDo(char* text) override;
    VstIntPtr vendorSpecific(VstInt32 lArg, VstIntPtr lArg2, void* ptrArg, float floatArg) override;

    // Current value of a parameter slot 0..80 (the spare slot included); 0 elsewhere.
    float parameterValue(int index) const { return core.parameter(index); }
    const APluginProgram& program(int index) const { return core.program(index); }
    float getEngineSampleRate() const { return core.sampleRate(); }

    // The engine as the audio thread sees it; for tests and diagnostics.
    const vardelline::BandEngine& engineState() const { return core.engineState(); }

    // Set by the editor adaptor: true once its window has been destroyed.
    std::atomic<bool> editorClosed{false};

private:
    void updateEditor();

    std::atomic<VstTimeInfo*> lastTimeInfo{nullptr};
    vardelline::EffectCore core;
};
