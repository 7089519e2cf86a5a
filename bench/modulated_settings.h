// The setting the speed figures are measured with: every band delayed,
// swept and fed back, both paths audible. Plugin is anything with
// setProgram and setParameter (the effect itself, or a hosted instance).
#pragma once

#include "dsp/engine_params.h"

namespace vardelline {

template <class Plugin>
void modulateAllBands(Plugin& plugin) {
    plugin.setProgram(6);
    for (int b = 0; b < kNumBands; ++b) {
        plugin.setParameter(kSpeed + b, 0.2f + 0.08f * b);
        plugin.setParameter(kWidth + b, 0.6f);
        plugin.setParameter(kFeedback + b, 0.7f);
    }
    plugin.setParameter(kBalance, 0.5f);
}

}  // namespace vardelline
