// An instance the audio groups sound, whatever its format: parameters,
// programs and blocks through one of its entry points. The groups that only
// set controls and listen are written once against it and run on VST 2 and
// CLAP libraries alike.
#pragma once

#include <functional>
#include <memory>

#include "tools/host/validate_render.h"
#include "tools/host/validate_report.h"

namespace vardelline::host::validate {

class Sounding {
public:
    virtual ~Sounding() = default;
    virtual void setParameter(int index, float value) = 0;
    virtual void setProgram(int program) = 0;
    // Ready for blocks of up to blockSize frames.
    virtual void start(int blockSize) = 0;
    virtual void processBlock(float** inputs, float** outputs, int frames) = 0;
    // processBlock for the render loop.
    BlockProcessor processor() {
        return [this](float** inputs, float** outputs, int frames) { processBlock(inputs, outputs, frames); };
    }
};

// How a format's instances are made: VST 2 has two entry points to try
// (processReplacing and process), CLAP one.
struct SoundingFormat {
    int entryPoints;
    const char* (*entryName)(int entry);
    // Null when the plug-in refuses to start with the validator.
    std::function<std::unique_ptr<Sounding>(float sampleRate, int entry)> make;
};

SoundingFormat vst2Sounding(GroupContext& context);
SoundingFormat clapSounding(GroupContext& context);

}  // namespace vardelline::host::validate
