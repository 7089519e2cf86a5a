// APlugin: the effect object the host creates through main. It answers the
// host's questions, keeps the parameters and the eight programs, and hands
// every change to the band engine without ever making the audio thread wait.
#pragma once

#include <atomic>

#include "plugin/band_engine.h"
#include "plugin/parameters.h"
#include "vst/audio_effect_x.h"

// One program: a live edit buffer of parameter values plus its name.
class APluginProgram {
public:
    APluginProgram();

    static constexpr int kNumValues = 501;  // only 0..80 are used
    static constexpr size_t kNameSize = 64;

    // Written by whichever thread sets a parameter; read by setProgram.
    std::atomic<float> values[kNumValues];
    char name[kNameSize];
};

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
    VstInt32 getProgram() override { return currentProgram.load(std::memory_order_relaxed); }

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
    float parameterValue(int index) const;
    const APluginProgram& program(int index) const { return programs[index]; }
    float getEngineSampleRate() const { return engineSampleRate.load(std::memory_order_relaxed); }

    // The engine as the audio thread sees it; for tests and diagnostics.
    const vardelline::BandEngine& engineState() const { return engine; }

    // Set by the editor adaptor: true once its window has been destroyed.
    std::atomic<bool> editorClosed{false};

private:
    void storeParameter(int program, int index, float value);
    void requestChorusClear();
    void applyPendingChanges();
    void updateEditor();
    void setEngineRate(float rate);

    // Written by any thread through setParameter/setProgram; read by the
    // audio thread at the start of a block through a sequence check.
    std::atomic<float> params[vardelline::kNumParamSlots];
    std::atomic<float> engineSampleRate{44100.0f};
    std::atomic<uint32_t> paramWrites{0};
    std::atomic<uint32_t> chorusClears{0};
    std::atomic<uint32_t> rateChanges{0};
    std::atomic<uint32_t> changeSerial{0};
    std::atomic<int32_t> writersActive{0};
    std::atomic<int32_t> currentProgram{0};

    // What the audio thread last applied.
    uint32_t appliedSerial = 0;
    uint32_t appliedParamWrites = 0;
    uint32_t appliedChorusClears = 0;
    uint32_t appliedRateChanges = 0;

    APluginProgram programs[vardelline::kNumPrograms];
    std::atomic<VstTimeInfo*> lastTimeInfo{nullptr};

    // Owned by the audio thread.
    vardelline::BandEngine engine;
};
