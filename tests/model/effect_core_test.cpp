// The effect core without any plug-in interface: programs as live edit
// buffers, limited values, and changes reaching the audio thread as whole
// snapshots at block starts only.
#include "model/effect_core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "model/factory_programs.h"

using namespace vardelline;

namespace {

std::unique_ptr<EffectCore> makeCore() {
    auto core = std::make_unique<EffectCore>();
    core->loadFactoryPrograms();
    core->setProgram(0);
    return core;
}

void processSilence(EffectCore& core, int frames) {
    std::vector<float> silence(frames, 0.0f);
    core.process(silence.data(), silence.data(), silence.data(), silence.data(), frames,
                 CounterTiming::AdvanceBeforeUpdate);
}

bool engineHoldsProgram(const EffectCore& core, int program) {
    const float* p = core.engineState().parameters();
    for (int i = 0; i < kNumParamSlots; ++i) {
        if (p[i] != core.program(program).values[i].load()) return false;
    }
    return true;
}

}  // namespace

TEST(EffectCore, ProgramsAreLiveEditBuffersWithLimitedValues) {
    auto core = makeCore();
    EXPECT_STREQ(core->program(4).name, kFactoryPrograms[4].name);
    core->setProgram(4);
    core->setParameter(7, 1.5f);
    core->setParameter(8, std::numeric_limits<float>::quiet_NaN());
    core->setParameter(81, 0.3f);  // outside the slots: ignored
    core->setParameter(-1, 0.3f);
    EXPECT_EQ(core->parameter(7), 1.0f);
    EXPECT_EQ(core->parameter(8), 0.0f);
    EXPECT_EQ(core->program(4).values[7].load(), 1.0f);
    EXPECT_EQ(core->parameter(81), 0.0f);

    core->setProgram(2);
    EXPECT_EQ(core->parameter(7), core->program(2).values[7].load());
    core->setProgram(4);
    EXPECT_EQ(core->parameter(7), 1.0f);  // the edit was kept in program 4
    EXPECT_FALSE(core->setProgram(8));
    EXPECT_FALSE(core->setProgram(-1));
    EXPECT_EQ(core->currentProgram(), 4);

    core->setCurrentProgramName("A name longer than the sixty-four bytes a program name may hold, cut");
    EXPECT_EQ(std::string(core->program(4).name).size(), APluginProgram::kNameSize - 1);
}

TEST(EffectCore, ChangesReachTheEngineAtTheNextBlock) {
    auto core = makeCore();
    processSilence(*core, 32);
    core->setParameter(kFreqQ, 0.25f);
    EXPECT_NE(core->engineState().parameters()[kFreqQ], 0.25f);
    processSilence(*core, 32);
    EXPECT_EQ(core->engineState().parameters()[kFreqQ], 0.25f);

    EXPECT_FALSE(core->setSampleRate(0.0f));
    EXPECT_FALSE(core->setSampleRate(std::numeric_limits<float>::infinity()));
    EXPECT_TRUE(core->setSampleRate(96000.0f));
    processSilence(*core, 32);
    EXPECT_EQ(core->engineState().sampleRate(), 96000.0f);
}

TEST(EffectCore, BlocksNeverSeeAHalfAppliedProgramAndANonStopWriterCannotStarveThem) {
    auto core = makeCore();
    processSilence(*core, 32);  // the engine holds program 0
    std::atomic<bool> stop{false};
    std::atomic<int> switches{0};
    std::thread writer([&] {
        for (int i = 0; !stop.load(); ++i) {
            core->setProgram(i % 2 == 0 ? 4 : 6);
            switches.fetch_add(1);
        }
    });
    while (switches.load() == 0) std::this_thread::yield();

    // Blocks run until the switches have reached the engine many times (or
    // the time is up); at every block start it must hold one whole program.
    constexpr int kEnough = 200;
    int torn = 0;
    int reached = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (int block = 0; reached < kEnough && std::chrono::steady_clock::now() < deadline; ++block) {
        processSilence(*core, 32);
        if (engineHoldsProgram(*core, 4) || engineHoldsProgram(*core, 6))
            ++reached;
        else if (!engineHoldsProgram(*core, 0))
            ++torn;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(reached, kEnough);
    processSilence(*core, 32);
    EXPECT_TRUE(engineHoldsProgram(*core, core->currentProgram()));
}
