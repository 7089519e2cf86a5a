// The plug-in's saved state: the current program's index and every
// parameter value, in a small versioned binary record of our own. Little
// endian on every platform, so a project moves between Linux and Windows.
//
//   offset  size  content
//        0     4  "VdLn"
//        4     4  format version (1)
//        8     4  number of values (80)
//       12     4  current program, 0..7
//       16   320  80 values, IEEE float bits, each 0..1
//      336     4  FNV-1a hash of bytes 0..335
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/parameters.h"

namespace vardelline::clapfx {

constexpr uint32_t kStateVersion = 1;
constexpr size_t kStateSize = 16 + 4 * kNumParams + 4;

struct SavedState {
    int32_t program = 0;
    float values[kNumParams] = {};
};

void encodeState(const SavedState& state, uint8_t (&out)[kStateSize]);

// Why a record was refused, for the host's log.
enum class StateError { None, WrongSize, NotOurs, NewerVersion, Corrupt, BadContent };
const char* describe(StateError error);

// Checks the whole record before it fills state; state is untouched unless
// the answer is StateError::None.
StateError decodeState(const uint8_t* data, size_t size, SavedState* state);

}  // namespace vardelline::clapfx
