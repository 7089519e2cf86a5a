// The params extension: the 52 parameters that shape the sound, with their
// indices as ids, the VST 2 edition's names and value texts, range 0..1 and
// the first factory program's values as defaults.
#include <cmath>
#include <cstring>

#include "clap/clap_effect.h"
#include "clap/extensions.h"
#include "clap/param_text.h"
#include "model/factory_programs.h"
#include "model/parameters.h"
#include "model/value_text.h"

namespace vardelline::clapfx {

namespace {

bool known(const clap_plugin* plugin, clap_id id) {
    return ClapEffect::from(plugin) != nullptr && id < kNumClapParams;
}

double defaultValue(int index) {
    return index < kFactoryValueCount ? static_cast<double>(kFactoryPrograms[0].values[index]) : 0.0;
}

uint32_t VCLAP_ABI count(const clap_plugin* plugin) {
    return ClapEffect::from(plugin) != nullptr ? kNumClapParams : 0;
}

bool VCLAP_ABI info(const clap_plugin* plugin, uint32_t index, clap_param_info* out) {
    if (!known(plugin, index) || out == nullptr) return false;
    std::memset(out, 0, sizeof *out);
    out->id = index;
    out->flags = CLAP_PARAM_IS_AUTOMATABLE;
    out->cookie = nullptr;
    paramHostName(static_cast<int>(index), out->name, sizeof out->name);
    out->min_value = 0.0;
    out->max_value = 1.0;
    out->default_value = defaultValue(static_cast<int>(index));
    return true;
}

bool VCLAP_ABI value(const clap_plugin* plugin, clap_id id, double* out) {
    if (!known(plugin, id) || out == nullptr) return false;
    *out = ClapEffect::from(plugin)->core().parameter(static_cast<int>(id));
    return true;
}

bool VCLAP_ABI valueToText(const clap_plugin* plugin, clap_id id, double v, char* out, uint32_t capacity) {
    if (!known(plugin, id) || out == nullptr || capacity == 0 || !std::isfinite(v)) return false;
    // Values outside the range read as its ends, as the core would store them.
    const float stored = limit(static_cast<float>(v));
    return paramValueText(static_cast<int>(id), stored, out, capacity);
}

bool VCLAP_ABI textToValue(const clap_plugin* plugin, clap_id id, const char* text, double* out) {
    if (!known(plugin, id)) return false;
    return paramValueFromText(static_cast<int>(id), text, out);
}

void VCLAP_ABI flush(const clap_plugin* plugin, const clap_input_events* in, const clap_output_events* out) {
    if (ClapEffect* effect = ClapEffect::from(plugin)) effect->flush(in, out);
}

constexpr clap_plugin_params kParams = {count, info, value, valueToText, textToValue, flush};

}  // namespace

const clap_plugin_params* paramsExtension() {
    return &kParams;
}

}  // namespace vardelline::clapfx
