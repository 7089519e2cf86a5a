// The LV2 edition of the effect: four audio ports, one control port per
// audible parameter, and the effect core doing the work. Control values are
// taken at the top of each block, and only those that changed reach the
// core, so a host that rewrites every port every cycle costs no redesign.
#include <lv2/core/lv2.h>

#include <cstring>
#include <memory>

#include "lv2/lv2_ports.h"
#include "model/effect_core.h"

namespace vardelline::lv2 {

namespace {

struct Instance {
    std::unique_ptr<EffectCore> core;
    const float* controls[kNumControlPorts] = {};
    const float* inputs[2] = {};
    float* outputs[2] = {};
    // The control values last handed to the core, compared by their bits so
    // that a NaN the host keeps sending is not news at every block.
    float applied[kNumControlPorts] = {};
    bool appliedOnce = false;
};

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*, const LV2_Feature* const*) {
    if (!EffectCore::isUsableRate(static_cast<float>(rate))) return nullptr;
    auto instance = std::make_unique<Instance>();
    instance->core.reset(new EffectCore());
    instance->core->setSampleRate(static_cast<float>(rate));
    instance->core->loadFactoryPrograms();
    instance->core->setProgram(0);
    instance->core->applyPendingChanges();  // no audio thread yet
    return instance.release();
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    auto* instance = static_cast<Instance*>(handle);
    switch (port) {
        case kInLeft: instance->inputs[0] = static_cast<const float*>(data); break;
        case kInRight: instance->inputs[1] = static_cast<const float*>(data); break;
        case kOutLeft: instance->outputs[0] = static_cast<float*>(data); break;
        case kOutRight: instance->outputs[1] = static_cast<float*>(data); break;
        default:
            if (port >= kFirstControlPort && port < kNumPorts)
                instance->controls[port - kFirstControlPort] = static_cast<const float*>(data);
    }
}

void activate(LV2_Handle handle) {
    static_cast<Instance*>(handle)->core->suspend();
}

void takeControls(Instance& instance) {
    for (uint32_t i = 0; i < kNumControlPorts; ++i) {
        if (instance.controls[i] == nullptr) continue;
        const float value = *instance.controls[i];
        if (instance.appliedOnce && std::memcmp(&value, &instance.applied[i], sizeof value) == 0) continue;
        instance.applied[i] = value;
        instance.core->setParameter(static_cast<int>(i), value);
    }
    instance.appliedOnce = true;
}

void run(LV2_Handle handle, uint32_t frames) {
    auto* instance = static_cast<Instance*>(handle);
    takeControls(*instance);
    if (frames == 0 || frames > 0x7FFFFFFFu || instance->inputs[0] == nullptr || instance->inputs[1] == nullptr ||
        instance->outputs[0] == nullptr || instance->outputs[1] == nullptr)
        return;
    instance->core->process(instance->inputs[0], instance->inputs[1], instance->outputs[0], instance->outputs[1],
                            static_cast<int32_t>(frames), CounterTiming::AdvanceBeforeUpdate);
}

void cleanup(LV2_Handle handle) {
    delete static_cast<Instance*>(handle);
}

const LV2_Descriptor kDescriptor = {kPluginUri, instantiate, connectPort, activate, run, nullptr, cleanup, nullptr};

}  // namespace

}  // namespace vardelline::lv2

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index == 0 ? &vardelline::lv2::kDescriptor : nullptr;
}
