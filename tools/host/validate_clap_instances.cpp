// The instance groups for a CLAP library: instances coming and going around
// one that sounds, hostile parameter values and text buffers, and state
// saved and loaded through the state extension.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "tools/host/validate_clap.h"
#include "tools/host/validate_groups.h"

namespace vardelline::host::validate {

namespace {

constexpr float kRate = 48000.0f;

std::vector<float> renderAlone(ClapInstance& instance, long frames, uint64_t seed) {
    instance.resume();
    TestSignal signal(seed, kRate);
    std::mt19937_64 random(seed);
    RenderSetup setup;
    setup.keep = true;
    return render(processorOf(instance), [&signal](float* l, float* r, int n) { signal.fill(l, r, n); }, frames,
                  setup, random)
        .output;
}

}  // namespace

void runClapLifecycleGroup(GroupContext& context, GroupReport& report) {
    const int count = context.byLevel(6, 12, 24);
    report.describe(format("up to %d instances created and destroyed in creation, reverse and random order; "
                           "instances coming and going on another thread while one sounds",
                           count));
    for (int order = 0; order < 3; ++order) {
        std::vector<std::unique_ptr<ClapInstance>> instances;
        for (int i = 0; i < count; ++i) instances.push_back(clapInstance(context, kRate));
        if (order == 1) std::reverse(instances.begin(), instances.end());
        if (order == 2) std::shuffle(instances.begin(), instances.end(), context.random);
        for (auto& instance : instances) instance.reset();
        report.countCases(count);
    }
    // One instance sounds while others are made, set, run and destroyed beside it.
    const uint64_t seed = context.random();
    const long frames = static_cast<long>(context.byLevel(0.5, 1.0, 2.0) * kRate);
    auto reference = clapInstance(context, kRate);
    const std::vector<float> alone = renderAlone(*reference, frames, seed);
    auto sounding = clapInstance(context, kRate);
    std::vector<float> beside;
    std::thread audio([&] { beside = renderAlone(*sounding, frames, seed); });
    for (int i = 0; i < count; ++i) {
        auto other = clapInstance(context, kRate);
        other->setProgram(i % 8);
        other->setParameter(i % param::kCount, 1.0f);
    }
    audio.join();
    report.check(alone == beside, "an instance sounded differently while others came and went");
}

void runClapParametersGroup(GroupContext& context, GroupReport& report) {
    report.describe("NaN, Inf, huge, subnormal and out-of-range values for every id and unknown ids; values read "
                    "back finite and in range; value texts into buffers of 0 to 64 bytes; text to value and back");
    auto instance = clapInstance(context, kRate);
    const clap_plugin& plugin = instance->plugin();
    const clap_plugin_params& params = instance->params();
    const double hostile[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(), 1e300, -1e300, DBL_MIN / 4, -0.5, 1.5};
    const clap_id unknown[] = {static_cast<clap_id>(instance->parameterCount()), 80, 1000000, CLAP_INVALID_ID};
    for (double value : hostile) {
        for (int index = 0; index < instance->parameterCount(); ++index) instance->setParameter(index, static_cast<float>(value));
        for (clap_id id : unknown) {
            double read = 0.0;
            report.check(!params.get_value(&plugin, id, &read), format("get_value of unknown id %u answered", id));
            char text[64];
            report.check(!params.value_to_text(&plugin, id, 0.5, text, sizeof text),
                         format("value_to_text of unknown id %u answered", id));
        }
        for (int index = 0; index < instance->parameterCount(); ++index) {
            double read = 0.0;
            const bool ok = params.get_value(&plugin, instance->parameterId(index), &read);
            report.check(ok && std::isfinite(read) && read >= 0.0 && read <= 1.0,
                         format("parameter %d after %g reads %g", index, value, read));
        }
    }
    for (int index = 0; index < instance->parameterCount(); ++index) {
        const clap_id id = instance->parameterId(index);
        for (uint32_t capacity : {0u, 1u, 2u, 5u, 16u, 64u}) {
            GuardedBytes buffer(capacity > 0 ? capacity : 1);
            buffer.fillUnterminated();
            const bool wrote = params.value_to_text(&plugin, id, 0.37, buffer.data(), capacity);
            report.check(buffer.guardsIntact(), format("value_to_text of %d into %u bytes wrote outside", index, capacity));
            if (wrote && capacity > 0)
                report.check(buffer.terminated(), format("value_to_text of %d into %u bytes left no terminator", index, capacity));
        }
        for (int step = 0; step <= 8; ++step) {
            char text[256] = {}, again[256] = {};
            double value = 0.0;
            const bool ok = params.value_to_text(&plugin, id, step / 8.0, text, sizeof text) &&
                            params.text_to_value(&plugin, id, text, &value) &&
                            params.value_to_text(&plugin, id, value, again, sizeof again);
            report.check(ok && std::strcmp(text, again) == 0,
                         format("parameter %d: '%s' reads back as '%s'", index, text, again));
        }
    }
}

namespace {

int64_t VCLAP_ABI writeBytes(const clap_ostream* stream, const void* data, uint64_t size) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(stream->ctx);
    bytes->insert(bytes->end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    return static_cast<int64_t>(size);
}

struct Reader {
    const std::vector<uint8_t>& bytes;
    size_t position = 0;
    static int64_t VCLAP_ABI read(const clap_istream* stream, void* data, uint64_t size) {
        auto* reader = static_cast<Reader*>(stream->ctx);
        const size_t n = std::min<size_t>(size, reader->bytes.size() - reader->position);
        if (n > 0) std::memcpy(data, reader->bytes.data() + reader->position, n);  // an empty stream has no data()
        reader->position += n;
        return static_cast<int64_t>(n);
    }
};

const clap_plugin_state* stateOf(ClapInstance& instance) {
    return static_cast<const clap_plugin_state*>(instance.extension(CLAP_EXT_STATE));
}

bool save(ClapInstance& instance, std::vector<uint8_t>& bytes) {
    const clap_ostream stream{&bytes, writeBytes};
    return stateOf(instance)->save(&instance.plugin(), &stream);
}

bool load(ClapInstance& instance, const std::vector<uint8_t>& bytes) {
    Reader reader{bytes};
    const clap_istream stream{&reader, Reader::read};
    return stateOf(instance)->load(&instance.plugin(), &stream);
}

std::vector<float> values(ClapInstance& instance) {
    std::vector<float> all;
    for (int i = 0; i < instance.parameterCount(); ++i) all.push_back(instance.getParameter(i));
    return all;
}

}  // namespace

void runClapStateGroup(GroupContext& context, GroupReport& report) {
    const int rounds = context.byLevel(3, 10, 30);
    report.describe(format("%d random settings saved and loaded into a fresh instance: the same values and output; "
                           "empty, truncated, damaged and longer records refused with nothing changed",
                           rounds));
    for (int round = 0; round < rounds; ++round) {
        auto original = clapInstance(context, kRate);
        if (!report.check(stateOf(*original) != nullptr, "no state extension")) return;
        original->setProgram(context.between(0, 7));
        for (int i = 0; i < original->parameterCount(); ++i)
            if (context.uniform() < 0.5) original->setParameter(i, static_cast<float>(context.uniform()));
        std::vector<uint8_t> bytes;
        if (!report.check(save(*original, bytes), "save failed")) return;
        auto restored = clapInstance(context, kRate);
        report.check(load(*restored, bytes), "a saved state was refused");
        report.check(values(*original) == values(*restored), format("round %d: values differ after load", round));
        const uint64_t seed = context.random();
        const long frames = static_cast<long>(0.2 * kRate);
        report.check(renderAlone(*original, frames, seed) == renderAlone(*restored, frames, seed),
                     format("round %d: output differs after load", round));

        auto target = clapInstance(context, kRate);
        target->setParameter(0, 0.25f);
        const std::vector<float> before = values(*target);
        std::vector<uint8_t> damaged = bytes;
        damaged[damaged.size() / 2] ^= 0x5A;
        std::vector<uint8_t> longer = bytes;
        longer.push_back(0);
        const std::vector<uint8_t> refused[] = {
            {}, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2)), damaged,
            longer};
        for (const std::vector<uint8_t>& record : refused) {
            report.check(!load(*target, record), format("a record of %zu bytes was accepted", record.size()));
            report.check(values(*target) == before, format("a refused record of %zu bytes changed values", record.size()));
        }
    }
}

}  // namespace vardelline::host::validate
