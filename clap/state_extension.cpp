// The state extension: the record of state_format.h through the host's
// streams. A load checks the whole record before it changes anything.
#include <cstring>

#include "clap/clap_effect.h"
#include "clap/extensions.h"
#include "clap/state_format.h"

namespace vardelline::clapfx {

namespace {

bool VCLAP_ABI save(const clap_plugin* plugin, const clap_ostream* stream) {
    ClapEffect* effect = ClapEffect::from(plugin);
    if (effect == nullptr || stream == nullptr || stream->write == nullptr) return false;
    SavedState state;
    state.program = effect->core().currentProgram();
    for (int i = 0; i < kNumParams; ++i) state.values[i] = effect->core().parameter(i);
    uint8_t record[kStateSize];
    encodeState(state, record);

    size_t written = 0;
    while (written < kStateSize) {
        const int64_t n = stream->write(stream, record + written, kStateSize - written);
        // A stream that takes nothing would keep us here for ever.
        if (n <= 0 || static_cast<uint64_t>(n) > kStateSize - written) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

bool VCLAP_ABI load(const clap_plugin* plugin, const clap_istream* stream) {
    ClapEffect* effect = ClapEffect::from(plugin);
    if (effect == nullptr || stream == nullptr || stream->read == nullptr) return false;
    // One byte more than a record, to tell a longer stream from ours.
    uint8_t record[kStateSize + 1];
    size_t size = 0;
    while (size < sizeof record) {
        const int64_t n = stream->read(stream, record + size, sizeof record - size);
        if (n == 0) break;
        if (n < 0 || static_cast<uint64_t>(n) > sizeof record - size) {
            effect->log(CLAP_LOG_ERROR, "Vardelline: the host's stream failed while the state was read");
            return false;
        }
        size += static_cast<size_t>(n);
    }

    SavedState state;
    const StateError error = decodeState(record, size, &state);
    if (error != StateError::None) {
        effect->log(CLAP_LOG_ERROR, describe(error));
        return false;
    }
    EffectCore& core = effect->core();
    core.setProgram(state.program);
    for (int i = 0; i < kNumParams; ++i) core.setParameter(i, state.values[i]);
    effect->valuesChangedHere();
    return true;
}

constexpr clap_plugin_state kState = {save, load};

}  // namespace

const clap_plugin_state* stateExtension() {
    return &kState;
}

}  // namespace vardelline::clapfx
