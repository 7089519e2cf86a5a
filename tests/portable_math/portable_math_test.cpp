// Our sin, cos and exp against the platform's on millions of arguments: never
// more than one unit in the last place apart, and after rounding to float
// (as the engine stores them) the same as the platform's; plus a checksum
// of their bits that must come out the same on every platform.
#include "dsp/portable_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>

namespace {

using vardelline::portableCos;
using vardelline::portableExp;
using vardelline::portableSin;

int64_t orderedBits(double x) {
    int64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits < 0 ? std::numeric_limits<int64_t>::min() - bits : bits;
}

int64_t ulpsApart(double a, double b) {
    if (a == b) return 0;
    const int64_t d = orderedBits(a) - orderedBits(b);
    return d < 0 ? -d : d;
}

struct Agreement {
    int64_t worstUlps = 0;
    double worstAt = 0.0;
    long doubleDiffers = 0;
    long floatDiffers = 0;
    long count = 0;
};

template <typename Ours, typename Theirs, typename Argument>
Agreement compare(Ours ours, Theirs theirs, Argument argument, long count) {
    Agreement a;
    for (long i = 0; i < count; ++i) {
        const double x = argument(i);
        const double mine = ours(x);
        const double platform = theirs(x);
        const int64_t ulps = ulpsApart(mine, platform);
        if (ulps > a.worstUlps) {
            a.worstUlps = ulps;
            a.worstAt = x;
        }
        a.doubleDiffers += ulps != 0;
        a.floatDiffers += static_cast<float>(mine) != static_cast<float>(platform);
        ++a.count;
    }
    return a;
}

void expectClose(const Agreement& a, const char* what) {
    EXPECT_LE(a.worstUlps, 1) << what << " at " << a.worstAt;
    // The engine rounds these results to float: there they must agree.
    EXPECT_EQ(a.floatDiffers, 0) << what;
    std::printf("%-28s %ld arguments, %ld differ in the last bit, worst %lld ulp\n", what, a.count, a.doubleDiffers,
                static_cast<long long>(a.worstUlps));
}

constexpr long kMillion = 1000000;

double sinOf(double x) {
    return std::sin(x);
}
double cosOf(double x) {
    return std::cos(x);
}
double expOf(double x) {
    return std::exp(x);
}

TEST(PortableMath, SinAndCosMatchThePlatformOverTheEnginesRanges) {
    std::mt19937_64 random(1);
    // Filter design: cos and sin of 3.14159 * bw and 6.28318 * w, bw and w in (0, 0.5).
    auto design = [&](long) { return 3.14159 * std::uniform_real_distribution<double>(1e-7, 1.0)(random); };
    expectClose(compare(portableSin, sinOf, design, 2 * kMillion), "sin, filter design");
    expectClose(compare(portableCos, cosOf, design, 2 * kMillion), "cos, filter design");
    // Oscillators: sin(n * rate), n a sample count up to 2^31, rate a float.
    auto sweep = [&](long) {
        const auto n = static_cast<double>(random() & 0x7FFFFFE0u);
        const float rate = static_cast<float>(
            std::ldexp(std::uniform_real_distribution<double>(0.5, 1.0)(random), -static_cast<int>(random() % 24)) *
            0.004);
        return n * static_cast<double>(rate);
    };
    expectClose(compare(portableSin, sinOf, sweep, 4 * kMillion), "sin, oscillator sweep");
}

TEST(PortableMath, SinAndCosMatchThePlatformNearTheQuadrantsAndFarOut) {
    std::mt19937_64 random(2);
    // Just around multiples of pi/4 and pi/2, where the reduction switches.
    auto edges = [&](long i) {
        return (i % 64 - 32) * 0.7853981633974483 * (1.0 + std::uniform_real_distribution<double>(-1e-9, 1e-9)(random));
    };
    expectClose(compare(portableSin, sinOf, edges, kMillion / 2), "sin, quadrant edges");
    expectClose(compare(portableCos, cosOf, edges, kMillion / 2), "cos, quadrant edges");
    auto far = [&](long) { return std::ldexp(std::uniform_real_distribution<double>(-1.0, 1.0)(random), 32); };
    expectClose(compare(portableSin, sinOf, far, kMillion / 2), "sin, |x| up to 2^32");
    expectClose(compare(portableCos, cosOf, far, kMillion / 2), "cos, |x| up to 2^32");
}

TEST(PortableMath, ExpMatchesThePlatform) {
    std::mt19937_64 random(3);
    // The engine's power-of-two curves: exp(0.6931472 * x (+ 0.0001)), x in -20..20.
    auto curves = [&](long) { return 0.6931472 * std::uniform_real_distribution<double>(-20.0, 20.0)(random); };
    expectClose(compare(portableExp, expOf, curves, 4 * kMillion), "exp, power-of-two curves");
    auto whole = [&](long) { return std::uniform_real_distribution<double>(-740.0, 709.0)(random); };
    expectClose(compare(portableExp, expOf, whole, kMillion), "exp, whole range");
}

TEST(PortableMath, SpecialValues) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(portableSin(nan)));
    EXPECT_TRUE(std::isnan(portableSin(inf)));
    EXPECT_TRUE(std::isnan(portableCos(-inf)));
    EXPECT_TRUE(std::isnan(portableExp(nan)));
    EXPECT_EQ(portableSin(0.0), 0.0);
    EXPECT_TRUE(std::signbit(portableSin(-0.0)));
    EXPECT_EQ(portableCos(0.0), 1.0);
    EXPECT_EQ(portableExp(0.0), 1.0);
    EXPECT_EQ(portableExp(inf), inf);
    EXPECT_EQ(portableExp(-inf), 0.0);
    EXPECT_EQ(portableExp(710.0), inf);
    EXPECT_EQ(portableExp(-746.0), 0.0);
    EXPECT_LE(ulpsApart(portableExp(709.78), std::exp(709.78)), 1);  // largest results
    EXPECT_EQ(portableExp(-744.0), std::exp(-744.0));                // subnormal results
    // Far beyond any use: inexact, but finite and in range.
    for (double x : {1e10, -3.7e11, 1e22, -1e300, 1.7e308}) {
        EXPECT_LE(std::fabs(portableSin(x)), 1.0) << x;
        EXPECT_LE(std::fabs(portableCos(x)), 1.0) << x;
    }
}

// The eight-lane sine gives each lane the scalar result's bits, whatever
// the mix of lanes: small, near the quadrant edges, negative, -0, far
// arguments and non-finite ones that take the scalar path.
TEST(PortableMath, LaneSinIsTheScalarSinBitForBit) {
    std::mt19937_64 random(4);
    const double inf = std::numeric_limits<double>::infinity();
    const double specials[] = {0.0,
                               -0.0,
                               0.7853981633974483,
                               -0.7853981633974483,
                               1.5707963267948966,
                               0x1p30,
                               -0x1p30,
                               0x1.fffffffffffffp29,
                               1e12,
                               inf,
                               -inf,
                               std::numeric_limits<double>::quiet_NaN()};
    long differ = 0;
    for (int round = 0; round < 200000; ++round) {
        alignas(32) double x[8], lanes[8];
        for (double& v : x) {
            switch (random() % 4) {
                case 0: v = specials[random() % std::size(specials)]; break;
                case 1:
                    v = (static_cast<int>(random() % 64) - 32) * 0.7853981633974483 *
                        (1.0 + std::uniform_real_distribution<double>(-1e-9, 1e-9)(random));
                    break;
                case 2:
                    v = static_cast<double>(static_cast<int32_t>(random())) * 0.004 *
                        std::uniform_real_distribution<double>(0.0, 1.0)(random);
                    break;
                default: v = std::uniform_real_distribution<double>(-4.0, 4.0)(random);
            }
        }
        vardelline::portableSinLanes(x, lanes);
        for (int i = 0; i < 8; ++i) {
            const double scalar = portableSin(x[i]);
            differ +=
                std::memcmp(&scalar, &lanes[i], sizeof scalar) != 0 && !(std::isnan(scalar) && std::isnan(lanes[i]));
        }
    }
    EXPECT_EQ(differ, 0);
}

// The bits of a fixed set of results. Linux, 64-bit Windows and 32-bit
// Windows with SSE2 give this number; an x87 build or one that fuses
// multiply-adds does not.
TEST(PortableMath, ResultsAreTheSameBitsEverywhere) {
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](double value) {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        hash = (hash ^ bits) * 1099511628211ull;
    };
    for (int i = 0; i < 100000; ++i) {
        const double x = (i - 50000) * 0.0123456789;
        mix(portableSin(x * 1000.0));
        mix(portableSin(x * 1e8));  // beyond the exact reduction too
        mix(portableCos(x));
        mix(portableExp(x * 0.01));
    }
    EXPECT_EQ(hash, 0xd7ff915e0d980c17ull) << std::hex << hash;
}

}  // namespace
