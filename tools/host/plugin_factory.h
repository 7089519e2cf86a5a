// Opens a plug-in library of either format once and makes instances of it:
// a VST 2 library gives PluginInstances, a CLAP library ClapInstances.
#pragma once

#include <memory>
#include <string>

#include "tools/host/hosted_plugin.h"
#include "tools/host/plugin_library.h"

namespace vardelline::host {

class ClapModule;

class PluginFactory {
public:
    // Throws HostError when the library cannot be loaded or is not a usable plug-in.
    explicit PluginFactory(const std::string& path);
    ~PluginFactory();

    PluginFormat format() const { return library_->format(); }
    const std::shared_ptr<PluginLibrary>& library() const { return library_; }
    const std::shared_ptr<ClapModule>& clapModule() const { return clap_; }  // null for VST 2

    std::unique_ptr<HostedPlugin> instantiate(const HostSettings& settings) const;

private:
    std::shared_ptr<PluginLibrary> library_;
    std::shared_ptr<ClapModule> clap_;
};

// One instance of the library at path.
std::unique_ptr<HostedPlugin> openPlugin(const std::string& path, const HostSettings& settings);

}  // namespace vardelline::host
