// libFuzzer target: turns its input into a sequence of host calls on one
// plug-in instance (dispatcher calls with any arguments, parameter sets and
// reads, program changes, suspend/resume, rate changes, audio blocks through
// both entry points) and checks that no buffer is written outside its
// bounds and that every output sample is finite and not subnormal.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "tools/host/opcode_buffers.h"
#include "vst/plugin.h"

namespace {

using vardelline::fuzz::FuzzInput;
using vardelline::fuzz::require;

// The input, with the values this fuzzer picks from it.
class Input : public FuzzInput {
public:
    using FuzzInput::FuzzInput;
    // One of a few telling values, or any value.
    int32_t index() {
        static const int32_t kIndices[] = {-1, 0,  1,  7,       8,         50,        51,
                                           79, 80, 81, 1000000, INT32_MIN, INT32_MAX, fourCharCode("vdLn")};
        const uint8_t pick = byte();
        return pick < std::size(kIndices) ? kIndices[pick] : pick < 200 ? pick - 100 : raw<int32_t>();
    }
    intptr_t value() {
        static const intptr_t kValues[] = {0,
                                           1,
                                           -1,
                                           8,
                                           INTPTR_MAX,
                                           INTPTR_MIN,
                                           INT32_MIN,
                                           fourCharCode("fbuf"),
                                           fourCharCode("mous"),
                                           fourCharCode("tick")};
        const uint8_t pick = byte();
        return pick < std::size(kValues) ? kValues[pick] : pick < 200 ? pick - 100 : raw<intptr_t>();
    }
    float number() {
        static const float kNumbers[] = {0.0f,      1.0f,  0.5f,   -1.0f,  NAN,      INFINITY,
                                         -INFINITY, 1e30f, -1e30f, 1e-40f, 44100.0f, 192000.0f};
        const uint8_t pick = byte();
        return pick < std::size(kNumbers) ? kNumbers[pick] : pick < 200 ? pick / 200.0f : raw<float>();
    }

};


// A buffer for ptr with guard bytes around it. Its content comes from the
// input and always ends in a terminator: hosts hand in terminated texts.
class Guarded {
public:
    Guarded(size_t size, Input& input) : bytes_(size + 2 * kGuard, kGuardByte), size_(size) {
        for (size_t k = 0; k < size; ++k) bytes_[kGuard + k] = static_cast<char>(input.byte());
        bytes_[kGuard + size - 1] = '\0';
    }
    void* data() { return bytes_.data() + kGuard; }
    ~Guarded() {
        for (size_t k = 0; k < kGuard; ++k)
            require(bytes_[k] == kGuardByte && bytes_[kGuard + size_ + k] == kGuardByte);
    }

private:
    static constexpr size_t kGuard = 32;
    static constexpr char kGuardByte = static_cast<char>(0xA5);
    std::vector<char> bytes_;
    size_t size_;
};

VstTimeInfo gTimeInfo{0.0, 44100.0, 0.0, 0.0, 120.0, 0.0, 0.0, 0.0, 4, 4, 0, 0, 0, kVstTransportPlaying};

VstIntPtr VST_CALL hostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterGetTime: return reinterpret_cast<VstIntPtr>(&gTimeInfo);
        default: return 0;
    }
}

void dispatch(AEffect* effect, Input& input) {
    const VstInt32 opcode = static_cast<VstInt32>(input.byte()) - 10;  // -10..245
    const VstInt32 index = input.index();
    const VstIntPtr value = input.value();
    const float opt = input.number();
    // effClose is a step of its own; effEditOpen's ptr is a window handle, none here.
    if (opcode == effClose) return;
    if (opcode == effEditOpen || !(input.byte() & 1)) {
        effect->dispatcher(effect, opcode, index, value, nullptr, opt);
        return;
    }
    // Exactly the bytes the opcode may write, or room for any record.
    Guarded buffer(vardelline::host::writeBound(opcode, 256), input);
    effect->dispatcher(effect, opcode, index, value, buffer.data(), opt);
}

// A sample from the input: anything, limited to +-1e30 (non-finite samples count as silence).
float sample(Input& input) {
    const float x = input.number();
    return std::isfinite(x) && std::fabs(x) > 1e30f ? std::copysign(1e30f, x) : x;
}

void processBlock(AEffect* effect, Input& input) {
    const int low = input.byte();
    const int frames = 1 + (low | (input.byte() & 3) << 8);  // 1..1024
    const uint8_t mode = input.byte();
    constexpr int kGuard = 8;
    std::vector<float> in[2], out[2];
    for (int c = 0; c < 2; ++c) {
        in[c].assign(static_cast<size_t>(frames + 2 * kGuard), 77.0f);
        out[c].assign(static_cast<size_t>(frames + 2 * kGuard), 77.0f);
        const int pattern = input.byte() % 4;
        const float level = sample(input);
        for (int k = 0; k < frames; ++k) {
            float& x = in[c][static_cast<size_t>(kGuard + k)];
            x = pattern == 0   ? sample(input)
                : pattern == 1 ? level
                : pattern == 2 ? (k % 64 == 0 ? level : 0.0f)
                               : std::sin(0.05f * k);
        }
    }
    float* inputs[2] = {in[0].data() + kGuard, in[1].data() + kGuard};
    float* outputs[2] = {out[0].data() + kGuard, out[1].data() + kGuard};
    float** target = (mode & 2) ? inputs : outputs;  // in place or not
    if (mode & 1)
        effect->process(effect, inputs, target, frames);
    else
        effect->processReplacing(effect, inputs, target, frames);
    for (int c = 0; c < 2; ++c) {
        for (int k = 0; k < frames; ++k) {
            const float y = target[c][k];
            require(std::isfinite(y) && std::fpclassify(y) != FP_SUBNORMAL);
        }
        for (int k = 0; k < kGuard; ++k) {
            require(in[c][static_cast<size_t>(k)] == 77.0f && in[c][static_cast<size_t>(kGuard + frames + k)] == 77.0f);
            require(out[c][static_cast<size_t>(k)] == 77.0f &&
                    out[c][static_cast<size_t>(kGuard + frames + k)] == 77.0f);
        }
    }
}

AEffect* openInstance() {
    AEffect* effect = (new APlugin(hostCallback))->getAeffect();
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    return effect;
}

void closeInstance(AEffect* effect) {
    require(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f) == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    AEffect* effect = openInstance();
    for (int step = 0; step < 256 && !input.empty(); ++step) {
        switch (input.byte() % 9) {
            case 0: dispatch(effect, input); break;
            case 1: {
                const VstInt32 index = input.index();
                effect->setParameter(effect, index, input.number());
                const float v = effect->getParameter(effect, index);
                require(v >= 0.0f && v <= 1.0f);
                break;
            }
            case 2: effect->dispatcher(effect, effSetProgram, 0, input.value(), nullptr, 0.0f); break;
            case 3:
            case 4: processBlock(effect, input); break;
            case 5: effect->dispatcher(effect, effMainsChanged, 0, input.byte() & 1, nullptr, 0.0f); break;
            case 6: effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, input.number()); break;
            case 7: {
                Guarded name(1 + input.byte(), input);
                effect->dispatcher(effect, effSetProgramName, 0, 0, name.data(), 0.0f);
                break;
            }
            case 8:
                closeInstance(effect);
                effect = openInstance();
                break;
        }
    }
    closeInstance(effect);
    return 0;
}
