// One CLAP plug-in instance driven the way a host drives it, behind the
// same interface as a VST 2 instance: created and initialised on
// construction, activated and started by resume(), stopped and deactivated
// by suspend(). Parameters are the plug-in's params in their listed order;
// a value set while suspended goes in through params.flush, one set while
// resumed as an event at frame 0 of the next block. Programs are the presets
// the plug-in holds, loaded through preset-load.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "clap/abi/extensions.h"
#include "tools/host/clap_module.h"
#include "tools/host/hosted_plugin.h"

namespace vardelline::host {

class ClapInstance : public HostedPlugin {
public:
    // Throws HostError naming the library when the plug-in refuses to start
    // or lacks the params or preset-load extension.
    ClapInstance(std::shared_ptr<ClapModule> module, const HostSettings& settings);
    ~ClapInstance() override;
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    const std::string& path() const override { return module_->path(); }
    const char* formatName() const override { return "CLAP"; }
    const HostSettings& settings() const override { return settings_; }
    void configure(const HostSettings& settings) override;
    void resume() override;
    void suspend() override;
    bool isResumed() const { return resumed_; }
    void processReplacing(float** inputs, float** outputs, int frames) override;
    int inputCount() override { return channelCount(true); }
    int outputCount() override { return channelCount(false); }

    int parameterCount() override { return static_cast<int>(parameters_.size()); }
    void setParameter(int index, float value) override;
    float getParameter(int index) const override;
    std::string parameterName(int index) override;
    std::string parameterLabel(int) override { return ""; }  // CLAP texts carry their units
    std::string parameterDisplay(int index) override;
    bool isAutomatable(int index) override;

    int programCount() override { return static_cast<int>(module_->presets().size()); }
    void setProgram(int index) override;
    int program() override { return program_; }
    std::string programName(int index) override;
    std::string currentProgramName() override { return programName(program_); }
    std::string effectName() override;

    void printDescription() override;                                // clap_instance_description.cpp
    // Through our editor-remote extension (clap_instance_editor.cpp);
    // throws HostError when the plug-in does not offer it.
    std::unique_ptr<HeadlessEditor> openHeadlessEditor(double scale) override;

    // The plug-in itself, for checks of its own interface.
    const clap_plugin& plugin() const { return *plugin_; }
    const clap_plugin_params& params() const { return *params_; }
    // The extension of that id, or null.
    const void* extension(const char* id) const;
    // The parameter id at index, or CLAP_INVALID_ID outside the list.
    clap_id parameterId(int index) const;

private:
    static const void* VCLAP_ABI hostExtension(const clap_host* host, const char* id);
    static void VCLAP_ABI hostRequest(const clap_host* host);
    int channelCount(bool input);
    void flushPending();

    std::shared_ptr<ClapModule> module_;
    HostSettings settings_;
    clap_host host_{};
    const clap_plugin* plugin_ = nullptr;
    const clap_plugin_params* params_ = nullptr;
    std::vector<clap_param_info> parameters_;
    int program_ = 0;
    bool resumed_ = false;
    int64_t steadyTime_ = 0;
    // Values set while resumed, for the next block's frame 0.
    std::vector<clap_event_param_value> pending_;
};

}  // namespace vardelline::host
