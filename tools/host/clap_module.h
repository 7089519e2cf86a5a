// A CLAP library made ready for instances: its clap_entry checked and
// initialised (deinitialised again at the end), its plug-in factory found and
// the Vardelline plug-in looked up in it, and the factory programs' names and
// load keys read once through the preset discovery factory.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "clap/abi/extensions.h"
#include "tools/host/plugin_library.h"

namespace vardelline::host {

// The plug-in id this host drives; other CLAP plug-ins are refused.
constexpr const char* kClapPluginId = "com.quorvane.vardelline";

struct ClapPreset {
    std::string name;
    std::string loadKey;
};

class ClapModule {
public:
    // Throws HostError naming the library when it is not a usable CLAP
    // library or does not hold our plug-in.
    explicit ClapModule(std::shared_ptr<PluginLibrary> library);
    ~ClapModule();
    ClapModule(const ClapModule&) = delete;
    ClapModule& operator=(const ClapModule&) = delete;

    const std::string& path() const { return library_->path(); }
    const clap_plugin_factory& factory() const { return *factory_; }
    const clap_plugin_descriptor& descriptor() const { return *descriptor_; }
    // The presets held inside the plug-in, in the order the provider gave them.
    const std::vector<ClapPreset>& presets() const { return presets_; }

private:
    void discoverPresets();

    std::shared_ptr<PluginLibrary> library_;
    const clap_plugin_entry* entry_ = nullptr;
    const clap_plugin_factory* factory_ = nullptr;
    const clap_plugin_descriptor* descriptor_ = nullptr;
    std::vector<ClapPreset> presets_;
};

}  // namespace vardelline::host
