// The bundle through lilv, as an LV2 host loads it: the presets carry the
// factory programs, a render with each equals the VST 2 edition's, control
// ports rewritten at every block cost nothing and change nothing, and run()
// neither allocates nor locks.
#include <gtest/gtest.h>
#include <lv2/presets/presets.h>

#include <cstring>
#include <map>

#include "lv2_test_support.h"
#include "model/factory_programs.h"
#include "model/parameters.h"
#include "tools/host/validate_intercept.h"

using namespace lv2test;
namespace realtime = vardelline::host::validate::realtime;

namespace {

constexpr uint32_t kControls = 52;
constexpr uint32_t kFirstControl = 4;

// An instance with its ports connected to buffers of ours.
class Instance {
public:
    Instance(const World& world, double rate, uint32_t block) : in(2 * block), out(2 * block), block(block) {
        instance = lilv_plugin_instantiate(world.plugin, rate, nullptr);
        if (instance == nullptr) return;
        for (uint32_t i = 0; i < kControls; ++i) {
            controls[i] = vardelline::paramDefault(static_cast<int>(i));
            lilv_instance_connect_port(instance, kFirstControl + i, &controls[i]);
        }
        lilv_instance_connect_port(instance, 0, in.data());
        lilv_instance_connect_port(instance, 1, in.data() + block);
        lilv_instance_connect_port(instance, 2, out.data());
        lilv_instance_connect_port(instance, 3, out.data() + block);
        lilv_instance_activate(instance);
    }
    ~Instance() {
        if (instance == nullptr) return;
        lilv_instance_deactivate(instance);
        lilv_instance_free(instance);
    }

    // Runs the interleaved input through in blocks; beforeBlock(n) may touch the controls.
    template <class BeforeBlock>
    std::vector<float> render(const Audio& input, BeforeBlock beforeBlock) {
        const size_t frames = input.frames.size() / 2;
        std::vector<float> result(input.frames.size());
        for (size_t start = 0, n = 0; start < frames; start += block, ++n) {
            const uint32_t count = static_cast<uint32_t>(std::min<size_t>(block, frames - start));
            for (uint32_t k = 0; k < count; ++k) {
                in[k] = input.frames[2 * (start + k)];
                in[block + k] = input.frames[2 * (start + k) + 1];
            }
            beforeBlock(n);
            {
                realtime::AudioScope scope;
                lilv_instance_run(instance, count);
            }
            for (uint32_t k = 0; k < count; ++k) {
                result[2 * (start + k)] = out[k];
                result[2 * (start + k) + 1] = out[block + k];
            }
        }
        return result;
    }
    std::vector<float> render(const Audio& input) {
        return render(input, [](size_t) {});
    }

    LilvInstance* instance = nullptr;
    float controls[kControls] = {};

private:
    std::vector<float> in, out;
    uint32_t block;
};

// The URID map a host offers: one number per URI, in order of asking.
LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    auto& uris = *static_cast<std::vector<std::string>*>(handle);
    for (size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    uris.push_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

// The control values a preset holds, by symbol.
std::map<std::string, float> presetValues(const World& world, const LilvNode* preset) {
    std::map<std::string, float> values;
    std::vector<std::string> uris;
    LV2_URID_Map map = {&uris, mapUri};
    LilvState* state = lilv_state_new_from_world(world.world, &map, preset);
    if (state == nullptr) return values;
    lilv_state_restore(
        state, nullptr,
        [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t) {
            if (size == sizeof(float)) {
                float v;
                std::memcpy(&v, value, sizeof v);
                (*static_cast<std::map<std::string, float>*>(data))[symbol] = v;
            }
        },
        &values, 0, nullptr);
    lilv_state_free(state);
    return values;
}

}  // namespace

TEST(Lv2Lilv, EachPresetHoldsItsFactoryProgramAndRendersAsTheVstEdition) {
    World world;
    ASSERT_NE(world.plugin, nullptr);
    LilvNode* presetClass = lilv_new_uri(world.world, LV2_PRESETS__Preset);
    LilvNode* label = lilv_new_uri(world.world, LILV_NS_RDFS "label");
    LilvNodes* presets = lilv_plugin_get_related(world.plugin, presetClass);
    ASSERT_EQ(lilv_nodes_size(presets), 8u);
    const std::string dir = ::testing::TempDir();
    const Audio input = testSignal(8000, 5);
    ASSERT_TRUE(writeFloatWav(dir + "preset-in.wav", input));
    int checked = 0;
    LILV_FOREACH(nodes, i, presets) {
        const LilvNode* preset = lilv_nodes_get(presets, i);
        lilv_world_load_resource(world.world, preset);
        LilvNode* name = lilv_world_get(world.world, preset, label, nullptr);
        ASSERT_NE(name, nullptr);
        int program = -1;
        for (int p = 0; p < 8; ++p)
            if (std::string(lilv_node_as_string(name)) == vardelline::kFactoryPrograms[p].name) program = p;
        lilv_node_free(name);
        ASSERT_GE(program, 0);

        const auto values = presetValues(world, preset);
        ASSERT_EQ(values.size(), kControls);
        Instance instance(world, 44100.0, 256);
        for (uint32_t c = 0; c < kControls; ++c) {
            char symbol[64];
            vardelline::paramSymbol(static_cast<int>(c), symbol, sizeof symbol);
            const float expected = c < 26 ? vardelline::kFactoryPrograms[program].values[c] : 0.0f;
            ASSERT_EQ(values.at(symbol), expected) << symbol;
            instance.controls[c] = values.at(symbol);
        }
        const std::vector<float> fromLv2 = instance.render(input);
        const std::string vstOut = dir + "preset-vst.wav";
        const CommandRun vst = run("'" HOST_EXECUTABLE "' render '" + dir + "preset-in.wav' -o '" + vstOut +
                                   "' -b 256 --tail 0 --no-progress --program " + std::to_string(program));
        ASSERT_EQ(vst.exitCode, 0) << vst.out;
        EXPECT_EQ(fromLv2, readWav(vstOut).frames) << vardelline::kFactoryPrograms[program].name;
        ++checked;
    }
    EXPECT_EQ(checked, 8);
    lilv_nodes_free(presets);
    lilv_node_free(label);
    lilv_node_free(presetClass);
}

// Hosts rewrite every control port at every cycle; only a change counts.
// Changes at every block still neither allocate nor lock.
TEST(Lv2Lilv, ControlsRewrittenEveryBlockChangeNothingAndRunStaysRealTime) {
    World world;
    ASSERT_NE(world.plugin, nullptr);
    const Audio input = testSignal(20000, 9);
    Instance once(world, 48000.0, 128), rewritten(world, 48000.0, 128), changing(world, 48000.0, 128);
    for (Instance* instance : {&once, &rewritten}) {
        instance->controls[2] = 0.3f;
        instance->controls[19 + 2] = 0.9f;
        instance->controls[4] = 0.2f;
    }
    realtime::reset();
    const std::vector<float> reference = once.render(input);
    const std::vector<float> got = rewritten.render(input, [&](size_t) {
        for (float& value : rewritten.controls) {
            const float same = value;
            value = same;
        }
        rewritten.controls[2] = 0.3f;
    });
    EXPECT_EQ(got, reference);
    changing.render(input, [&](size_t block) {
        for (uint32_t c = 0; c < kControls; ++c) changing.controls[c] = static_cast<float>((block * 7 + c) % 11) / 10.0f;
    });
    if (realtime::available()) {
        EXPECT_EQ(realtime::violations(), 0) << realtime::firstViolation();
    } else {
        std::printf("realtime check skipped: %s\n", realtime::why());
    }
}

TEST(Lv2Lilv, RefusesAnUnusableRateAndRunsAtAnyOther) {
    World world;
    ASSERT_NE(world.plugin, nullptr);
    EXPECT_EQ(lilv_plugin_instantiate(world.plugin, 0.0, nullptr), nullptr);
    EXPECT_EQ(lilv_plugin_instantiate(world.plugin, -48000.0, nullptr), nullptr);
    for (double rate : {8000.0, 22050.0, 44100.0, 88200.0, 192000.0, 384000.0}) {
        Instance instance(world, rate, 64);
        ASSERT_NE(instance.instance, nullptr) << rate;
        for (float sample : instance.render(testSignal(2000, 1))) ASSERT_TRUE(std::isfinite(sample)) << rate;
    }
}
