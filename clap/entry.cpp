// The library's one export, clap_entry, and the plug-in factory behind it:
// one plug-in, the effect, created per instance with the host's table.
#include <cstring>
#include <mutex>
#include <new>

#include "clap/clap_effect.h"
#include "clap/plugin_identity.h"
#include "clap/preset_provider.h"

#ifndef VARDELLINE_VERSION
#define VARDELLINE_VERSION "1.0.0"
#endif

namespace vardelline::clapfx {

namespace {

const char* const kFeatures[] = {"audio-effect", "delay", "chorus", "stereo", nullptr};

constexpr clap_plugin_descriptor kDescriptor = {
    CLAP_VERSION_CURRENT,
    kPluginId,
    kPluginName,
    kVendor,
    "",
    "",
    "",
    VARDELLINE_VERSION,
    "Eight band-pass bands per channel, each through a delay and a swept chorus line, panned and summed",
    kFeatures,
};

uint32_t VCLAP_ABI pluginCount(const clap_plugin_factory*) {
    return 1;
}

const clap_plugin_descriptor* VCLAP_ABI descriptorAt(const clap_plugin_factory*, uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

const clap_plugin* VCLAP_ABI createPlugin(const clap_plugin_factory*, const clap_host* host, const char* id) {
    if (host == nullptr || id == nullptr || std::strcmp(id, kPluginId) != 0) return nullptr;
    // Only versions 1.x share this interface.
    if (host->clap_version.major < 1) return nullptr;
    try {
        return (new ClapEffect(host, &kDescriptor))->handle();
    } catch (...) {
        return nullptr;  // no exception may cross into the host
    }
}

constexpr clap_plugin_factory kPluginFactory = {pluginCount, descriptorAt, createPlugin};

// Hosts may call init more than once before deinit; the count keeps them paired.
std::mutex& initLock() {
    static std::mutex lock;
    return lock;
}
int initCount = 0;

bool VCLAP_ABI entryInit(const char*) {
    std::lock_guard<std::mutex> guard(initLock());
    ++initCount;
    return true;
}

void VCLAP_ABI entryDeinit() {
    std::lock_guard<std::mutex> guard(initLock());
    if (initCount > 0) --initCount;
}

const void* VCLAP_ABI entryFactory(const char* id) {
    if (id == nullptr) return nullptr;
    if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0) return &kPluginFactory;
    if (std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID) == 0 ||
        std::strcmp(id, CLAP_PRESET_DISCOVERY_FACTORY_ID_COMPAT) == 0)
        return presetDiscoveryFactory();
    return nullptr;
}

}  // namespace

}  // namespace vardelline::clapfx

#if defined(_WIN32)
#define VCLAP_EXPORT __declspec(dllexport)
#else
#define VCLAP_EXPORT __attribute__((visibility("default")))
#endif

extern "C" VCLAP_EXPORT const clap_plugin_entry clap_entry = {
    CLAP_VERSION_CURRENT,
    vardelline::clapfx::entryInit,
    vardelline::clapfx::entryDeinit,
    vardelline::clapfx::entryFactory,
};
