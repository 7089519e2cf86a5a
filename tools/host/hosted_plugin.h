// What the commands need of one plug-in instance, whatever its format:
// parameters by index with names and texts, programs, the sample rate and
// block size, processing, and the editor drawn without a window system.
// PluginInstance (VST 2) and ClapInstance (CLAP) implement it, so render,
// info, snapshot and plot are written once for both.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "editor/editor_remote.h"

namespace vardelline::host {

struct HostSettings {
    double sampleRate = 44100.0;
    int blockSize = 512;  // the largest block processReplacing will be given
};

class PluginInstance;

// The editor opened without a parent window, closed when this is destroyed.
class HeadlessEditor {
public:
    virtual ~HeadlessEditor() = default;
    // False when the editor has no such control.
    virtual bool mouse(const remote::EditorMouseEvent& event) = 0;
    virtual void tick() = 0;
    // False when the editor gave no picture.
    virtual bool framebuffer(remote::EditorFramebuffer& frame) = 0;
};

class HostedPlugin {
public:
    virtual ~HostedPlugin() = default;

    virtual const std::string& path() const = 0;
    virtual const char* formatName() const = 0;  // "VST 2" or "CLAP"
    // The VST 2 instance behind this one, for what only VST 2 offers; else null.
    virtual PluginInstance* vst2() { return nullptr; }

    virtual const HostSettings& settings() const = 0;
    // New rate and block size; suspends first if resumed.
    virtual void configure(const HostSettings& settings) = 0;
    virtual void resume() = 0;
    virtual void suspend() = 0;
    // One block out of place; frames must not exceed the block size.
    virtual void processReplacing(float** inputs, float** outputs, int frames) = 0;
    virtual int inputCount() = 0;
    virtual int outputCount() = 0;
    // Empty when the plug-in can render through processReplacing, else why not.
    virtual std::string renderingProblem() { return ""; }

    virtual int parameterCount() = 0;
    virtual void setParameter(int index, float value) = 0;
    virtual float getParameter(int index) const = 0;
    virtual std::string parameterName(int index) = 0;
    virtual std::string parameterLabel(int index) = 0;
    virtual std::string parameterDisplay(int index) = 0;  // the current value's text
    virtual bool isAutomatable(int index) = 0;

    virtual int programCount() = 0;
    virtual void setProgram(int index) = 0;
    virtual int program() = 0;
    virtual std::string programName(int index) = 0;
    virtual std::string currentProgramName() = 0;
    virtual std::string effectName() = 0;

    // Prints the plug-in's identity as its format shows it (the first lines of info).
    virtual void printDescription() = 0;
    // The editor opened at scale (0: the plug-in's own choice), without a
    // window. Throws HostError when the plug-in has no editor that can be
    // driven headless.
    virtual std::unique_ptr<HeadlessEditor> openHeadlessEditor(double scale) = 0;
};

}  // namespace vardelline::host
