// Writing and checking the saved-state record.
#include "clap/state_format.h"

#include <cmath>
#include <cstring>

namespace vardelline::clapfx {

namespace {

constexpr uint8_t kMagic[4] = {'V', 'd', 'L', 'n'};
constexpr size_t kHashOffset = kStateSize - 4;

void putU32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t getU32(const uint8_t* at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(at[i]) << (8 * i);
    return v;
}

uint32_t fnv1a(const uint8_t* data, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 16777619u;
    }
    return hash;
}

}  // namespace

void encodeState(const SavedState& state, uint8_t (&out)[kStateSize]) {
    std::memcpy(out, kMagic, 4);
    putU32(out + 4, kStateVersion);
    putU32(out + 8, static_cast<uint32_t>(kNumParams));
    putU32(out + 12, static_cast<uint32_t>(state.program));
    for (int i = 0; i < kNumParams; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &state.values[i], 4);
        putU32(out + 16 + 4 * i, bits);
    }
    putU32(out + kHashOffset, fnv1a(out, kHashOffset));
}

const char* describe(StateError error) {
    switch (error) {
        case StateError::None: return "state restored";
        case StateError::WrongSize: return "state refused: truncated or over-long record";
        case StateError::NotOurs: return "state refused: not a Vardelline record";
        case StateError::NewerVersion: return "state refused: written by a newer version";
        case StateError::Corrupt: return "state refused: the record's check value does not match";
        case StateError::BadContent: return "state refused: a value or the program is out of range";
    }
    return "state refused";
}

StateError decodeState(const uint8_t* data, size_t size, SavedState* state) {
    if (data == nullptr || state == nullptr) return StateError::WrongSize;
    if (size < 4) return StateError::WrongSize;
    if (std::memcmp(data, kMagic, 4) != 0) return StateError::NotOurs;
    if (size < 8) return StateError::WrongSize;
    const uint32_t version = getU32(data + 4);
    if (version > kStateVersion) return StateError::NewerVersion;
    if (version != kStateVersion) return StateError::NotOurs;
    if (size != kStateSize) return StateError::WrongSize;
    if (getU32(data + kHashOffset) != fnv1a(data, kHashOffset)) return StateError::Corrupt;
    if (getU32(data + 8) != static_cast<uint32_t>(kNumParams)) return StateError::BadContent;

    SavedState decoded;
    const uint32_t program = getU32(data + 12);
    if (program >= static_cast<uint32_t>(kNumPrograms)) return StateError::BadContent;
    decoded.program = static_cast<int32_t>(program);
    for (int i = 0; i < kNumParams; ++i) {
        const uint32_t bits = getU32(data + 16 + 4 * i);
        float v;
        std::memcpy(&v, &bits, 4);
        if (!(v >= 0.0f && v <= 1.0f)) return StateError::BadContent;  // NaN fails too
        decoded.values[i] = v;
    }
    *state = decoded;
    return StateError::None;
}

}  // namespace vardelline::clapfx
