// The preset discovery factory: one provider that declares the factory
// programs as presets held inside the plug-in and describes each of them.
#include "clap/preset_provider.h"

#include <cstring>
#include <new>

#include "clap/plugin_identity.h"
#include "clap/preset_keys.h"
#include "model/factory_programs.h"

namespace vardelline::clapfx {

namespace {

constexpr clap_preset_discovery_provider_descriptor kProviderDescriptor = {
    CLAP_VERSION_CURRENT, "com.quorvane.vardelline.factory-programs", "Vardelline factory programs", kVendor};

struct Provider {
    clap_preset_discovery_provider table;
    const clap_preset_discovery_indexer* indexer;
};

const clap_preset_discovery_indexer* indexerOf(const clap_preset_discovery_provider* provider) {
    return provider != nullptr ? static_cast<Provider*>(provider->provider_data)->indexer : nullptr;
}

bool VCLAP_ABI providerInit(const clap_preset_discovery_provider* provider) {
    const clap_preset_discovery_indexer* indexer = indexerOf(provider);
    if (indexer == nullptr || indexer->declare_location == nullptr) return false;
    clap_preset_discovery_location location{};
    location.flags = CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT;
    location.name = "Vardelline factory programs";
    location.kind = CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN;
    location.location = nullptr;
    return indexer->declare_location(indexer, &location);
}

void VCLAP_ABI providerDestroy(const clap_preset_discovery_provider* provider) {
    if (provider != nullptr) delete static_cast<Provider*>(provider->provider_data);
}

bool VCLAP_ABI metadata(const clap_preset_discovery_provider* provider, uint32_t kind, const char* location,
                        const clap_preset_discovery_metadata_receiver* receiver) {
    if (provider == nullptr || receiver == nullptr || receiver->begin_preset == nullptr) return false;
    if (kind != CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN || location != nullptr) return false;
    const clap_universal_plugin_id plugin = {"clap", kPluginId};
    for (int p = 0; p < kNumPrograms; ++p) {
        if (!receiver->begin_preset(receiver, kFactoryPrograms[p].name, loadKeyOfProgram(p))) break;
        if (receiver->add_plugin_id != nullptr) receiver->add_plugin_id(receiver, &plugin);
        if (receiver->set_flags != nullptr) receiver->set_flags(receiver, CLAP_PRESET_DISCOVERY_IS_FACTORY_CONTENT);
        if (receiver->add_creator != nullptr) receiver->add_creator(receiver, kVendor);
    }
    return true;
}

const void* VCLAP_ABI providerExtension(const clap_preset_discovery_provider*, const char*) {
    return nullptr;
}

uint32_t VCLAP_ABI providerCount(const clap_preset_discovery_factory*) {
    return 1;
}

const clap_preset_discovery_provider_descriptor* VCLAP_ABI providerDescriptor(const clap_preset_discovery_factory*,
                                                                               uint32_t index) {
    return index == 0 ? &kProviderDescriptor : nullptr;
}

const clap_preset_discovery_provider* VCLAP_ABI createProvider(const clap_preset_discovery_factory*,
                                                               const clap_preset_discovery_indexer* indexer,
                                                               const char* id) {
    if (indexer == nullptr || id == nullptr || std::strcmp(id, kProviderDescriptor.id) != 0) return nullptr;
    Provider* provider = new (std::nothrow) Provider{};
    if (provider == nullptr) return nullptr;
    provider->indexer = indexer;
    provider->table = {&kProviderDescriptor, provider, providerInit, providerDestroy, metadata, providerExtension};
    return &provider->table;
}

constexpr clap_preset_discovery_factory kFactory = {providerCount, providerDescriptor, createProvider};

}  // namespace

const clap_preset_discovery_factory* presetDiscoveryFactory() {
    return &kFactory;
}

}  // namespace vardelline::clapfx
