// Dispatcher answers for the opcodes a host sends, including the ones this
// plug-in leaves to the defaults.
#include <gtest/gtest.h>

#include <climits>

#include "support/test_host.h"

namespace {

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override { e = host.create(); }
    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0) {
        return TestHost::dispatch(e, opcode, index, value, ptr, opt);
    }
    TestHost host;
    AEffect* e = nullptr;
};

}  // namespace

TEST_F(Dispatcher, IdentityAndVersionAnswers) {
    EXPECT_EQ(call(effIdentify), 0x4E764566);
    EXPECT_EQ(call(effGetVstVersion), 2200);
    EXPECT_EQ(call(effGetNumProgramCategories), 1);
    EXPECT_EQ(call(effKeysRequired), 1);
    EXPECT_EQ(call(effGetPlugCategory), 0);
    EXPECT_EQ(call(effGetVendorVersion), 1);
    EXPECT_EQ(call(effGetVu), 0);
    EXPECT_EQ(call(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(call(effCanBeAutomated, 0), 1);
    EXPECT_EQ(call(effCanBeAutomated, 79), 0);
}

TEST_F(Dispatcher, NamesAreWrittenWithinBounds) {
    char text[80];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(call(effGetEffectName, 0, 0, text), 1);
    EXPECT_STREQ(text, "Vardelline");
    EXPECT_EQ(call(effGetVendorString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Quorvane");
    EXPECT_EQ(call(effGetProductString, 0, 0, text), 1);
    EXPECT_STREQ(text, "Vardelline");
    EXPECT_EQ(call(effGetEffectName), 0);  // no buffer
}

TEST_F(Dispatcher, CanDoIsExactAndCaseSensitive) {
    char events[] = "receiveVstEvents", midi[] = "receiveVstMidiEvent", time[] = "receiveVstTimeInfo";
    char upper[] = "ReceiveVstTimeInfo", empty[] = "", other[] = "sendVstEvents";
    EXPECT_EQ(call(effCanDo, 0, 0, events), 1);
    EXPECT_EQ(call(effCanDo, 0, 0, midi), 1);
    EXPECT_EQ(call(effCanDo, 0, 0, time), 1);
    EXPECT_EQ(call(effCanDo, 0, 0, upper), -1);
    EXPECT_EQ(call(effCanDo, 0, 0, empty), -1);
    EXPECT_EQ(call(effCanDo, 0, 0, other), -1);
    EXPECT_EQ(call(effCanDo), -1);
}

TEST_F(Dispatcher, OutputPinsAreLabelledAndInputsAreNot) {
    VstPinProperties pin;
    std::memset(&pin, 0x55, sizeof pin);
    EXPECT_EQ(call(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Vardelline 2");
    EXPECT_EQ(pin.flags, 3);
    EXPECT_EQ(pin.arrangementType, 0x55555555);  // left as the host passed it
    EXPECT_EQ(call(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Vardelline 1");
    std::memset(&pin, 0x55, sizeof pin);
    EXPECT_EQ(call(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(call(effGetOutputProperties, -1, 0, &pin), 0);
    EXPECT_EQ(pin.flags, 0x55555555);
    EXPECT_EQ(call(effGetInputProperties, 0, 0, &pin), 0);
}

TEST_F(Dispatcher, DefaultsAnswerZeroOrOne) {
    void* chunk = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(call(effGetChunk, 0, 0, &chunk), 0);
    EXPECT_EQ(chunk, reinterpret_cast<void*>(0x1234));
    EXPECT_EQ(call(effSetChunk, 0, 16, &chunk), 0);
    EXPECT_EQ(call(effSetBypass, 0, 1), 0);
    EXPECT_EQ(call(effConnectInput, 0, 1), 1);
    EXPECT_EQ(call(effConnectOutput, 1, 0), 1);
    EXPECT_EQ(call(effProcessEvents), 1);
    for (VstInt32 opcode : {16, 17, 18, 20, 21, 69, 70, 200, -1, INT_MIN}) EXPECT_EQ(call(opcode), 0) << opcode;
}

TEST_F(Dispatcher, KeyOpcodesReachTheEditorDefaults) {
    EXPECT_EQ(call(effEditKeyDown, 'a', 0, nullptr, 1.0f), -1);
    EXPECT_EQ(call(effEditKeyUp, 'a', 0, nullptr, 1.0f), -1);
    EXPECT_EQ(call(effSetEditKnobMode, 0, 2), 0);
}

TEST_F(Dispatcher, ProgramSelectionIgnoresNumbersOutOfRange) {
    char name[kVstMaxProgNameLen];
    call(effSetProgram, 0, 3);
    EXPECT_EQ(call(effGetProgram), 3);
    for (VstIntPtr bad :
         {VstIntPtr(8), VstIntPtr(-1), VstIntPtr(1000000), VstIntPtr(INT_MIN), VstIntPtr(INT64_MIN + 3)}) {
        call(effSetProgram, 0, bad);
        EXPECT_EQ(call(effGetProgram), 3);
    }
    call(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, "Panned");
}

TEST_F(Dispatcher, SampleRateAndBlockSizeAnswers) {
    EXPECT_EQ(call(effSetBlockSizeAndSampleRate, 0, 256, nullptr, 48000.0f), 1);
    EXPECT_EQ(call(effSetSampleRate, 0, 0, nullptr, 96000.0f), 0);
    EXPECT_EQ(call(effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(call(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(call(effMainsChanged, 0, 0), 0);
}

TEST_F(Dispatcher, EditorRectangleIsTheWindowSize) {
    ERect* rect = nullptr;
    EXPECT_EQ(call(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->right - rect->left, 731);
    EXPECT_EQ(rect->bottom - rect->top, 278);
}
