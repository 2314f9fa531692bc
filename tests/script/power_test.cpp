// The square that ^ 2 takes without calling pow gives pow's bits: on doubles of every magnitude,
// on the short decimals and grid points that integrands square, and at the edges of the range.
#include "script/Power.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace vantrel {
namespace {

TEST(Squared, GivesPowsBits) {
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // Through a volatile, so that the compiler cannot turn pow(x, 2.0) into x * x.
    const volatile double two = 2.0;
    const auto expectPows = [&two](double x) {
        const double expected = std::pow(x, two), actual = Squared(x);
        if (std::isnan(expected)) return std::isnan(actual);
        return std::bit_cast<uint64_t>(actual) == std::bit_cast<uint64_t>(expected);
    };
    const double max = std::numeric_limits<double>::max();
    for (const double x : {0.0, -0.0, 1.0, -3.0, std::sqrt(max), -std::sqrt(max), 1e154, 1e-154,
                           std::numeric_limits<double>::denorm_min(), 1e-300, max,
                           std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_TRUE(expectPows(x)) << x;
    int wrong = 0;
    for (int i = 0; i < 3000000; ++i) {
        const double anyBits = std::bit_cast<double>(random());
        const double fraction = unit(random) * 8 - 4;
        const double decimal = std::round(unit(random) * 1e6) / 1e4 - 50;
        for (const double x : {anyBits, fraction, decimal})
            wrong += expectPows(x) ? 0 : 1;
    }
    EXPECT_EQ(wrong, 0);
    // Bases whose exact square lies within 0.05 ULP of a midpoint between two doubles, where pow
    // and the rounded product part: of moderate size and of every size.
    int nearMidpoint = 0;
    for (int i = 0; i < 4000000; ++i) {
        const int binades = i % 2 == 0 ? 16 : 500;
        const auto exponent = static_cast<int>(random() % (2 * binades)) - binades;
        const double x = std::ldexp(1 + unit(random), exponent);
        const double p = x * x, e = std::fma(x, x, -p);
        if (std::fabs(e) < 0.45 * (std::nextafter(p, max) - p)) continue;
        ++nearMidpoint;
        wrong += expectPows(x) && expectPows(x) ? 0 : 1; // the second time, pow's kept result
    }
    EXPECT_GT(nearMidpoint, 300000);
    EXPECT_EQ(wrong, 0);
}

} // namespace
} // namespace vantrel
