// The preset discovery factory of the library (see preset_provider.cpp).
#pragma once

#include "clap/abi/preset_discovery.h"

namespace vardelline::clapfx {

const clap_preset_discovery_factory* presetDiscoveryFactory();

}  // namespace vardelline::clapfx
