// The CLAP edition sounds exactly like the VST 2 edition: both libraries
// are loaded by path, given the same settings and block partition, and a
// parameter event at a frame offset inside a CLAP block must equal the VST
// 2 host's change between two blocks at that frame.
#include <gtest/gtest.h>

#include <cmath>

#include "clap_test_host.h"
#include "support/test_host.h"

namespace {

constexpr double kRate = 48000.0;

struct Change {
    uint32_t frame;  // from the start of the render
    uint32_t index;
    float value;
};

struct Stereo {
    std::vector<float> left, right;
};

Stereo input(size_t frames) {
    return {claptest::testSignal(frames, 1), claptest::testSignal(frames, 2)};
}

// The VST 2 edition: program, then for each block its changes as separate
// blocks around each change's frame.
Stereo renderVst(int program, const std::vector<uint32_t>& blocks, const std::vector<Change>& changes) {
    TestHost host;
    AEffect* e = host.create();
    TestHost::dispatch(e, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    TestHost::dispatch(e, effSetBlockSize, 0, 4096);
    TestHost::dispatch(e, effSetProgram, 0, program);
    TestHost::dispatch(e, effMainsChanged, 0, 1);
    size_t total = 0;
    for (uint32_t b : blocks) total += b;
    Stereo in = input(total);
    Stereo out{std::vector<float>(total), std::vector<float>(total)};
    size_t next = 0;
    uint32_t done = 0;
    auto run = [&](uint32_t end) {
        if (end <= done) return;
        float* ins[2] = {in.left.data() + done, in.right.data() + done};
        float* outs[2] = {out.left.data() + done, out.right.data() + done};
        e->processReplacing(e, ins, outs, static_cast<VstInt32>(end - done));
        done = end;
    };
    uint32_t blockStart = 0;
    for (uint32_t b : blocks) {
        while (next < changes.size() && changes[next].frame < blockStart + b) {
            run(changes[next].frame);
            e->setParameter(e, static_cast<VstInt32>(changes[next].index), changes[next].value);
            ++next;
        }
        run(blockStart + b);
        blockStart += b;
    }
    return out;
}

// The CLAP edition: one process call per block, its changes as events.
Stereo renderClap(int program, const std::vector<uint32_t>& blocks, const std::vector<Change>& changes,
                  claptest::InputEvents* extra = nullptr) {
    claptest::ClapLibrary library;
    claptest::TestHost host;
    claptest::Instance instance(library, host);
    const auto* presets = instance.extension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
    const std::string key = std::to_string(program);
    EXPECT_TRUE(presets->from_location(instance.plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, key.c_str()));
    EXPECT_TRUE(instance.activate(kRate));
    size_t total = 0;
    for (uint32_t b : blocks) total += b;
    Stereo in = input(total);
    Stereo out{std::vector<float>(total), std::vector<float>(total)};
    size_t next = 0;
    uint32_t blockStart = 0;
    for (uint32_t b : blocks) {
        claptest::InputEvents events;
        if (extra != nullptr && blockStart == 0) events = *extra;
        while (next < changes.size() && changes[next].frame < blockStart + b) {
            events.addValue(changes[next].frame - blockStart, changes[next].index, changes[next].value);
            ++next;
        }
        EXPECT_EQ(instance.process(in.left.data() + blockStart, in.right.data() + blockStart,
                                   out.left.data() + blockStart, out.right.data() + blockStart, b, &events),
                  CLAP_PROCESS_CONTINUE);
        blockStart += b;
    }
    return out;
}

void expectSameBits(const Stereo& a, const Stereo& b) {
    ASSERT_EQ(a.left.size(), b.left.size());
    for (size_t i = 0; i < a.left.size(); ++i) {
        ASSERT_EQ(std::memcmp(&a.left[i], &b.left[i], 4), 0) << "left, frame " << i;
        ASSERT_EQ(std::memcmp(&a.right[i], &b.right[i], 4), 0) << "right, frame " << i;
    }
}

bool anySound(const Stereo& s) {
    for (float v : s.left)
        if (v != 0.0f) return true;
    return false;
}

}  // namespace

TEST(ClapMatchesVst2, EveryProgramWithoutChanges) {
    // Long enough for the longest delays (160 ms) to come through.
    const std::vector<uint32_t> blocks = {512, 1, 37, 4096, 300, 2048, 4096};
    for (int program = 0; program < 8; ++program) {
        SCOPED_TRACE(program);
        const Stereo vst = renderVst(program, blocks, {});
        ASSERT_TRUE(anySound(vst));
        expectSameBits(renderClap(program, blocks, {}), vst);
    }
}

TEST(ClapMatchesVst2, ChangesAtFirstMiddleAndLastFrameOfABlock) {
    const std::vector<uint32_t> blocks = {512, 512, 512, 512, 4096};
    // Delays, pans, speeds, feedback, the band layout and the balance, each
    // landing at offset 0, in the middle and on the last frame of a block.
    const std::vector<Change> changes = {
        {512 + 0, 3, 0.4f},      {512 + 0, 51, 0.8f},     {1024 + 256, 20, 0.1f}, {1024 + 256, 28, 0.6f},
        {1024 + 511, 44, 0.7f},  {1536 + 511, 0, 0.3f},   {1536 + 511, 1, 0.6f},  {2048 + 0, 11, 0.25f},
        {2048 + 1000, 36, 0.9f}, {2048 + 4095, 2, 0.5f},
    };
    for (int program : {0, 3, 6}) {
        SCOPED_TRACE(program);
        const Stereo vst = renderVst(program, blocks, changes);
        expectSameBits(renderClap(program, blocks, changes), vst);
        // And the changes matter: without them the output differs.
        const Stereo unchanged = renderVst(program, blocks, {});
        EXPECT_NE(std::memcmp(unchanged.left.data(), vst.left.data(), vst.left.size() * 4), 0);
    }
}

TEST(ClapMatchesVst2, HostileEventListsAreSkippedNotApplied) {
    const std::vector<uint32_t> blocks = {256, 256};
    const std::vector<Change> valid = {{100, 3, 0.5f}};
    claptest::InputEvents hostile;
    // Another space, unknown types, a short size, unknown and hidden ids, a non-finite value.
    clap_event_param_value foreign{};
    foreign.header = {sizeof foreign, 10, 7, CLAP_EVENT_PARAM_VALUE, 0};
    foreign.param_id = 3;
    foreign.value = 1.0;
    hostile.add(foreign.header);
    clap_event_param_value shortEvent = foreign;
    shortEvent.header = {24, 20, 0, CLAP_EVENT_PARAM_VALUE, 0};
    hostile.add(shortEvent.header);
    clap_event_header unknown = {16, 30, 0, 999, 0};
    hostile.add(unknown);
    clap_event_param_value mod = foreign;
    mod.header = {sizeof mod, 40, 0, CLAP_EVENT_PARAM_MOD, 0};
    hostile.add(mod.header);
    hostile.addValue(50, 52, 1.0);           // a stored-only parameter the host does not see
    hostile.addValue(50, 1000000, 1.0);
    hostile.addValue(60, 3, std::nan(""));
    hostile.addValue(60, 3, INFINITY);
    // The list claims far more events than it holds; the rest read as null.
    hostile.claimedSize = 0xFFFFFFF0u;
    // The valid change comes through the ordinary list of that block.
    const Stereo expected = renderVst(0, blocks, valid);
    expectSameBits(renderClap(0, blocks, valid, &hostile), expected);
}

TEST(ClapMatchesVst2, EventsPastTheBlockOrOutOfOrder) {
    claptest::ClapLibrary library;
    claptest::TestHost host;
    claptest::Instance instance(library, host);
    ASSERT_TRUE(instance.activate(kRate));
    Stereo in = input(64);
    Stereo out{std::vector<float>(64), std::vector<float>(64)};
    claptest::InputEvents events;
    events.addValue(40, 3, 0.25);
    events.addValue(10, 4, 0.5);          // earlier than the one before: applied where we are
    events.addValue(1000000, 5, 0.75);    // past the block: applied after its last frame
    ASSERT_EQ(instance.process(in.left.data(), in.right.data(), out.left.data(), out.right.data(), 64, &events),
              CLAP_PROCESS_CONTINUE);
    double v = 0.0;
    for (auto [id, expected] : {std::pair{3u, 0.25}, std::pair{4u, 0.5}, std::pair{5u, 0.75}}) {
        ASSERT_TRUE(instance.params->get_value(instance.plugin, id, &v));
        EXPECT_EQ(v, expected) << id;
    }
}

TEST(ClapMatchesVst2, FlushAppliesWithoutAudio) {
    // A change flushed while inactive sounds like a change before the first block.
    const Stereo vst = renderVst(2, {1024, 1024}, {{0, 27, 0.7f}, {0, 19, 0.0f}});

    claptest::ClapLibrary library;
    claptest::TestHost host;
    claptest::Instance instance(library, host);
    const auto* presets = instance.extension<clap_plugin_preset_load>(CLAP_EXT_PRESET_LOAD);
    ASSERT_TRUE(presets->from_location(instance.plugin, CLAP_PRESET_DISCOVERY_LOCATION_PLUGIN, nullptr, "2"));
    claptest::InputEvents events;
    events.addValue(0, 27, 0.7);
    events.addValue(0, 19, 0.0);
    claptest::OutputEvents out;
    instance.params->flush(instance.plugin, events.list(), out.list());
    EXPECT_TRUE(out.events.empty());
    double v = -1.0;
    ASSERT_TRUE(instance.params->get_value(instance.plugin, 27, &v));
    EXPECT_EQ(v, static_cast<double>(0.7f));
    instance.params->flush(instance.plugin, nullptr, nullptr);  // nothing to do, nothing to crash

    ASSERT_TRUE(instance.activate(kRate));
    Stereo in = input(2048);
    Stereo clap{std::vector<float>(2048), std::vector<float>(2048)};
    for (uint32_t start : {0u, 1024u})
        ASSERT_EQ(instance.process(in.left.data() + start, in.right.data() + start, clap.left.data() + start,
                                   clap.right.data() + start, 1024),
                  CLAP_PROCESS_CONTINUE);
    expectSameBits(clap, vst);
}

TEST(ClapProcess, MissingBuffersGiveSilenceOrAnError) {
    claptest::ClapLibrary library;
    claptest::TestHost host;
    claptest::Instance instance(library, host);
    claptest::Instance reference(library, host);
    ASSERT_TRUE(instance.activate(kRate));
    ASSERT_TRUE(reference.activate(kRate));
    const clap_plugin* plugin = instance.plugin;
    EXPECT_EQ(plugin->process(plugin, nullptr), CLAP_PROCESS_ERROR);

    std::vector<float> left(128, 9.0f), right(128, 9.0f);
    float* outputs[2] = {left.data(), right.data()};
    clap_audio_buffer output{outputs, nullptr, 2, 0, 0};
    clap_process block{};
    block.steady_time = -1;
    block.frames_count = 128;
    block.audio_outputs = &output;
    block.audio_outputs_count = 1;
    // No input port and no event lists: the effect hears silence.
    EXPECT_EQ(plugin->process(plugin, &block), CLAP_PROCESS_CONTINUE);
    const std::vector<float> zeros(128, 0.0f);
    std::vector<float> expectedL(128), expectedR(128);
    ASSERT_EQ(reference.process(zeros.data(), zeros.data(), expectedL.data(), expectedR.data(), 128),
              CLAP_PROCESS_CONTINUE);
    EXPECT_EQ(std::memcmp(left.data(), expectedL.data(), 128 * 4), 0);
    EXPECT_EQ(std::memcmp(right.data(), expectedR.data(), 128 * 4), 0);

    // One output channel where two are declared: an error, and silence in what there is.
    std::fill(left.begin(), left.end(), 9.0f);
    output.channel_count = 1;
    EXPECT_EQ(plugin->process(plugin, &block), CLAP_PROCESS_ERROR);
    for (float v : left) ASSERT_EQ(v, 0.0f);
    output.channel_count = 2;
    outputs[1] = nullptr;
    EXPECT_EQ(plugin->process(plugin, &block), CLAP_PROCESS_ERROR);
    block.audio_outputs = nullptr;
    EXPECT_EQ(plugin->process(plugin, &block), CLAP_PROCESS_ERROR);
}
