// The preset-load extension: the eight factory programs, which the preset
// provider declares inside the plug-in with load keys "0" to "7". Loading
// one applies the program exactly as the VST 2 edition's setProgram does.
#include <cstring>

#include "clap/abi/preset_discovery.h"
#include "clap/clap_effect.h"
#include "clap/extensions.h"
#include "clap/preset_keys.h"

namespace vardelline::clapfx {

namespace {

bool VCLAP_ABI fromLocation(const clap_plugin* plugin, uint32_t kind, const char* location, const char* key) {
    ClapEffect* effect = ClapEffect::from(plugin);
    if (effect == nullptr) return false;
    const clap_host_preset_load* host = effect->hostExtensions().presetLoad;
    const int program = kind == CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN ? programOfLoadKey(key) : -1;
    if (program < 0 || !effect->core().setProgram(program)) {
        if (host != nullptr && host->on_error != nullptr)
            host->on_error(effect->host(), kind, location, key, 0, "Vardelline holds only its programs 0 to 7");
        return false;
    }
    effect->valuesChangedHere();
    if (host != nullptr && host->loaded != nullptr) host->loaded(effect->host(), kind, location, key);
    return true;
}

constexpr clap_plugin_preset_load kPresetLoad = {fromLocation};

}  // namespace

const clap_plugin_preset_load* presetLoadExtension() {
    return &kPresetLoad;
}

}  // namespace vardelline::clapfx
