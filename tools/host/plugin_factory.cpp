// Choosing the instance class by the library's format.
#include "tools/host/plugin_factory.h"

#include "tools/host/clap_instance.h"
#include "tools/host/plugin_instance.h"

namespace vardelline::host {

PluginFactory::PluginFactory(const std::string& path) : library_(PluginLibrary::open(path)) {
    if (library_->format() == PluginFormat::Clap) clap_ = std::make_shared<ClapModule>(library_);
}

PluginFactory::~PluginFactory() = default;

std::unique_ptr<HostedPlugin> PluginFactory::instantiate(const HostSettings& settings) const {
    if (clap_) return std::make_unique<ClapInstance>(clap_, settings);
    return std::make_unique<PluginInstance>(library_, settings);
}

std::unique_ptr<HostedPlugin> openPlugin(const std::string& path, const HostSettings& settings) {
    return PluginFactory(path).instantiate(settings);
}

}  // namespace vardelline::host
