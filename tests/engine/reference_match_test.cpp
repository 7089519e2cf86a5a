// The plug-in, driven through its binary interface, against the plain scalar
// model: every output sample must match bit for bit, whatever the settings,
// block sizes, entry point and the changes made between blocks.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "reference_vardelline.h"
#include "support/test_host.h"

namespace {

class ReferenceMatch : public ::testing::Test {
protected:
    void SetUp() override {
        effect = host.create();
        ASSERT_NE(effect, nullptr);
        model = reference::Model::make();
        syncProgram(0);
        model->clearChorusLines();
    }

    // Mirrors what a program change does to the model.
    void syncProgram(int program) {
        TestHost::dispatch(effect, effSetProgram, 0, program);
        for (int i = 0; i < 81; ++i) model->setParameter(i, i < 80 ? effect->getParameter(effect, i) : 0.0f);
        model->clearChorusLines();
    }

    void setParameter(int index, float value) {
        effect->setParameter(effect, index, value);
        model->setParameter(index, value);
    }

    // Runs n frames of noise through both and compares.
    void runAndCompare(int frames, bool replacing, bool inPlace = false) {
        std::uniform_real_distribution<float> level(-1.0f, 1.0f);
        std::vector<float> l(frames), r(frames), outL(frames, 9.0f), outR(frames, 9.0f), refL(frames), refR(frames);
        for (int k = 0; k < frames; ++k) {
            l[k] = level(random);
            r[k] = (k % 500 == 0) ? 1.0f : 0.25f * level(random);
        }
        if (replacing)
            model->processReplacing(l.data(), r.data(), refL.data(), refR.data(), frames);
        else
            model->process(l.data(), r.data(), refL.data(), refR.data(), frames);
        float* in[2] = {l.data(), r.data()};
        float* out[2] = {outL.data(), outR.data()};
        float** target = inPlace ? in : out;
        (replacing ? effect->processReplacing : effect->process)(effect, in, target, frames);
        const std::vector<float>& gotL = inPlace ? l : outL;
        const std::vector<float>& gotR = inPlace ? r : outR;
        for (int k = 0; k < frames; ++k) {
            ASSERT_EQ(gotL[k], refL[k]) << "frame " << k;
            ASSERT_EQ(gotR[k], refR[k]) << "frame " << k;
        }
    }

    void randomiseModulation() {
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int i = 27; i <= 51; ++i) setParameter(i, unit(random));
    }

    TestHost host;
    AEffect* effect = nullptr;
    std::unique_ptr<reference::Model> model;
    std::mt19937 random{1234};
};

}  // namespace

TEST_F(ReferenceMatch, EveryFactoryProgramThroughProcessReplacing) {
    for (int program = 0; program < 8; ++program) {
        syncProgram(program);
        randomiseModulation();
        for (int block : {1, 31, 32, 64, 500, 4096}) runAndCompare(block, true);
    }
}

TEST_F(ReferenceMatch, ProcessEntryPointAndInPlaceBuffers) {
    syncProgram(6);
    randomiseModulation();
    runAndCompare(3000, false);
    runAndCompare(1000, false, true);
    runAndCompare(777, true, true);
}

TEST_F(ReferenceMatch, ParameterAndProgramChangesBetweenBlocks) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> index(0, 79), frames(1, 700);
    for (int step = 0; step < 60; ++step) {
        switch (step % 5) {
            case 0: setParameter(index(random), unit(random)); break;
            case 1: syncProgram(step % 8); break;
            case 2:
                TestHost::dispatch(effect, effMainsChanged, 0, 0);
                TestHost::dispatch(effect, effMainsChanged, 0, 1);
                model->clearChorusLines();
                break;
            case 3: randomiseModulation(); break;
            default: break;
        }
        runAndCompare(frames(random), step % 7 != 3);
    }
}

TEST_F(ReferenceMatch, ExtremeSettings) {
    for (int i = 3; i <= 18; ++i) setParameter(i, 1.0f);
    for (int i = 27; i <= 50; ++i) setParameter(i, 1.0f);
    setParameter(2, 0.0f);
    setParameter(0, 1.0f);
    setParameter(1, 0.0f);
    runAndCompare(20000, true);
    setParameter(2, 1.0f);
    setParameter(51, 1.0f);
    runAndCompare(20000, true);
}

// Delays from none to a few samples, on single lanes and on many: lines that
// feed back within a run, one lone lane with one-sample lines, lengths on
// either side of the eight-sample chunks, all swept by the oscillators, long
// enough for every line to wrap around its ring several times, through both
// entry points and blocks that start anywhere in the 32-sample rhythm.
TEST_F(ReferenceMatch, ShortDelaysAndLoneOneSampleLanes) {
    const float samples = 44100.0f * 0.16f;
    const float lengths[16] = {0, 1, 2, 6, 7, 8, 30, 31, 32, 33, 63, 64, 500, 3000, 7000, 7056};
    for (int lane = 0; lane < 16; ++lane) setParameter(3 + lane, lengths[lane] / samples);
    for (int b = 0; b < 8; ++b) {
        setParameter(27 + b, 0.9f);
        setParameter(35 + b, b % 3 == 0 ? 0.0f : 0.95f);
        setParameter(43 + b, 0.9f);
    }
    setParameter(51, 0.5f);  // both paths heard
    std::uniform_int_distribution<int> frames(1, 999);
    for (int block = 0; block < 80; ++block) runAndCompare(frames(random), block % 3 != 0);
    // A lone lane without delay; every other lane far from one sample.
    for (int lane = 0; lane < 16; ++lane) setParameter(3 + lane, lane == 5 ? 0.0f : 0.5f + 0.03f * lane);
    for (int block = 0; block < 40; ++block) runAndCompare(frames(random), block % 2 == 0);
}

// Every band swept the same way, fully: as the sweep passes its trough the
// chorus lines of all sixteen lanes shrink to one sample together while the
// plain lines stay long, and the lanes feed back within a run side by side.
TEST_F(ReferenceMatch, AllLanesSweptToOneSampleChorusLinesTogether) {
    for (int lane = 0; lane < 16; ++lane) setParameter(3 + lane, 0.5f);
    for (int b = 0; b < 8; ++b) {
        setParameter(27 + b, 0.5f);  // about 5.4 radians a second
        setParameter(35 + b, 1.0f);
        setParameter(43 + b, 0.6f);
    }
    setParameter(51, 0.5f);
    for (int block = 0; block < 90; ++block) runAndCompare(511, block % 4 != 0);
}
