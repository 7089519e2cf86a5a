// Value texts of the readout, checked against worked examples.
#include "model/value_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "model/parameters.h"

using namespace vardelline;

TEST(ValueText, FormattersAtTypicalValues) {
    struct Row {
        float v;
        const char *filter, *delay, *pan, *speed, *percent;
    } rows[] = {
        {0.25f, "113Hz", "40 ms", "L/R : 50%/100", "0.15Hz", "25%"},
        {0.5f, "640Hz", "80 ms", "L/R : 100%/100", "0.85Hz", "50%"},
        {0.6f, "1.3KHz", "96 ms", "L/R : 100%/79", "1.71Hz", "60%"},
        {0.0f, "20Hz", "0 ms", "L/R : 0%/100", "Off", "0%"},
        {1.0f, "20.5KHz", "160 ms", "L/R : 100%/0", "27.5Hz", "100%"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(FilterStr(r.v), r.filter) << r.v;
        EXPECT_EQ(DelayStr(r.v), r.delay) << r.v;
        EXPECT_EQ(WetDryStr(r.v), r.pan) << r.v;
        EXPECT_EQ(FreqStr(r.v, 1, 10.0f, 2048.0f), r.speed) << r.v;
        EXPECT_EQ(FPer(r.v), r.percent) << r.v;
    }
    EXPECT_EQ(FPer(0.123f), "12.3%");
    EXPECT_EQ(FPer(0.0005f), "0.1%");
    EXPECT_EQ(WetDryStr2(0.0f), "D/C : 0%/100");
    EXPECT_EQ(FreqStr(1e-6f, 1, 10.0f, 2048.0f), "0.02Hz");  // only exactly 0 is "Off"
    EXPECT_EQ(FreqStr(0.0f, 0, 10.0f, 2048.0f), "0.02Hz");
}

TEST(ValueText, RoundDownAndPow2) {
    EXPECT_EQ(RoundDown(0.0f), 0);
    EXPECT_EQ(RoundDown(2.99f), 2);
    EXPECT_EQ(RoundDown(79.99999237f), 79);
    EXPECT_EQ(RoundDown(45.0f), 45);
    EXPECT_EQ(RoundDown(-0.5f), -1);
    EXPECT_EQ(RoundDown(std::numeric_limits<float>::quiet_NaN()), INT32_MIN);
    EXPECT_GT(Pow2Readout(10.0f), 1024.0f);
    EXPECT_LT(Pow2Readout(10.0f), 1024.001f);
}

TEST(ValueText, TableTextsAreBoundedByTheBuffer) {
    char small[6];
    std::memset(small, 'x', sizeof small);
    EXPECT_TRUE(paramHostName(11, small, 5));
    EXPECT_STREQ(small, "Band");
    EXPECT_EQ(small[5], 'x');
    EXPECT_TRUE(paramReadoutLabel(19, small, sizeof small));
    char label[32];
    paramReadoutLabel(19, label, sizeof label);
    EXPECT_STREQ(label, "Band 1: Pan ");
    paramReadoutLabel(43, label, sizeof label);
    EXPECT_STREQ(label, "Band 1: Feed");
    paramReadoutLabel(1, label, sizeof label);
    EXPECT_STREQ(label, "End Freq");
    EXPECT_FALSE(paramValueText(52, 0.5f, label, sizeof label));
    EXPECT_FALSE(paramHostName(0, nullptr, 10));
}
