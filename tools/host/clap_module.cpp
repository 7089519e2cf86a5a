// Opening a CLAP library: entry, factory, our descriptor, preset names.
#include "tools/host/clap_module.h"

#include <cstring>

#include "clap/abi/preset_discovery.h"
#include "tools/host/host_error.h"

namespace vardelline::host {

namespace {

// The indexer and receiver the preset provider reports to: only the
// presets' names and load keys are kept.
struct PresetCollector {
    std::vector<ClapPreset> presets;
    clap_preset_discovery_indexer indexer{};
    clap_preset_discovery_metadata_receiver receiver{};

    PresetCollector() {
        indexer.clap_version = CLAP_VERSION_CURRENT;
        indexer.name = "vardelline-host";
        indexer.vendor = indexer.url = indexer.version = "";
        indexer.indexer_data = this;
        indexer.declare_filetype = [](const clap_preset_discovery_indexer*, const clap_preset_discovery_filetype*) {
            return true;
        };
        indexer.declare_location = [](const clap_preset_discovery_indexer*, const clap_preset_discovery_location*) {
            return true;
        };
        indexer.declare_soundpack = [](const clap_preset_discovery_indexer*, const clap_preset_discovery_soundpack*) {
            return true;
        };
        indexer.get_extension = [](const clap_preset_discovery_indexer*, const char*) -> const void* {
            return nullptr;
        };
        receiver.receiver_data = this;
        receiver.on_error = [](const clap_preset_discovery_metadata_receiver*, int32_t, const char*) {};
        receiver.begin_preset = [](const clap_preset_discovery_metadata_receiver* r, const char* name,
                                   const char* key) {
            if (name == nullptr || key == nullptr) return false;
            static_cast<PresetCollector*>(r->receiver_data)->presets.push_back({name, key});
            return true;
        };
        receiver.add_plugin_id = [](const clap_preset_discovery_metadata_receiver*, const clap_universal_plugin_id*) {};
        receiver.set_soundpack_id = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
        receiver.set_flags = [](const clap_preset_discovery_metadata_receiver*, uint32_t) {};
        receiver.add_creator = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
        receiver.set_description = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
        receiver.set_timestamps = [](const clap_preset_discovery_metadata_receiver*, clap_timestamp, clap_timestamp) {};
        receiver.add_feature = [](const clap_preset_discovery_metadata_receiver*, const char*) {};
        receiver.add_extra_info = [](const clap_preset_discovery_metadata_receiver*, const char*, const char*) {};
    }
};

}  // namespace

ClapModule::ClapModule(std::shared_ptr<PluginLibrary> library) : library_(std::move(library)) {
    const std::string& name = library_->path();
    entry_ = static_cast<const clap_plugin_entry*>(library_->symbol("clap_entry"));
    if (entry_ == nullptr || library_->format() != PluginFormat::Clap)
        throw HostError(name + ": not a CLAP plug-in (exports no clap_entry)");
    if (entry_->clap_version.major < 1 || entry_->init == nullptr || entry_->deinit == nullptr ||
        entry_->get_factory == nullptr)
        throw HostError(name + ": not a usable CLAP plug-in (its clap_entry is incomplete or of a draft version)");
    if (!entry_->init(name.c_str()))
        throw HostError(name + ": plug-in refused to start (clap_entry's init failed)");
    try {
        factory_ = static_cast<const clap_plugin_factory*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
        if (factory_ == nullptr || factory_->get_plugin_count == nullptr || factory_->get_plugin_descriptor == nullptr ||
            factory_->create_plugin == nullptr)
            throw HostError(name + ": not a usable CLAP plug-in (no plug-in factory)");
        std::string offered;
        const uint32_t count = factory_->get_plugin_count(factory_);
        for (uint32_t i = 0; i < count && descriptor_ == nullptr; ++i) {
            const clap_plugin_descriptor* d = factory_->get_plugin_descriptor(factory_, i);
            if (d == nullptr || d->id == nullptr) continue;
            if (std::strcmp(d->id, kClapPluginId) == 0) descriptor_ = d;
            offered += (offered.empty() ? "" : ", ") + std::string(d->id);
        }
        if (descriptor_ == nullptr)
            throw HostError(name + ": not a Vardelline CLAP plug-in (it offers " +
                            (offered.empty() ? std::string("no plug-in") : offered) + ")");
        discoverPresets();
    } catch (...) {
        entry_->deinit();
        throw;
    }
}

ClapModule::~ClapModule() {
    entry_->deinit();
}

void ClapModule::discoverPresets() {
    auto factory = static_cast<const clap_preset_discovery_factory*>(
        entry_->get_factory(CLAP_PRESET_DISCOVERY_FACTORY_ID));
    if (factory == nullptr) return;
    PresetCollector collector;
    for (uint32_t i = 0; i < factory->count(factory); ++i) {
        const clap_preset_discovery_provider_descriptor* d = factory->get_descriptor(factory, i);
        if (d == nullptr || d->id == nullptr) continue;
        const clap_preset_discovery_provider* provider = factory->create(factory, &collector.indexer, d->id);
        if (provider == nullptr) continue;
        if (provider->init(provider))
            provider->get_metadata(provider, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, &collector.receiver);
        provider->destroy(provider);
    }
    presets_ = std::move(collector.presets);
}

}  // namespace vardelline::host
