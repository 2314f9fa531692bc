// The fast assignment stores exactly what the statement with the value's 15-digit text stores.
#include "script/NumberFormat.h"
#include "script/ScriptControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <span>
#include <vector>

namespace vantrel {
namespace {

uint64_t Bits(double v) {
    return std::bit_cast<uint64_t>(v);
}

class FastAssignment : public testing::Test {
protected:
    // Both routes on one engine: the statement into "t", the fast path into "v".
    void ExpectSame(double value) {
        bool fastFailed = false, textFailed = false;
        try {
            engine.Assign(fast, value);
        } catch (const ScriptFailure&) {
            fastFailed = true;
        }
        try {
            engine.ExecuteStatement("t=" + AssignmentText(value));
        } catch (const ScriptFailure&) {
            textFailed = true;
        }
        ASSERT_EQ(fastFailed, textFailed) << value;
        const double viaText = engine.EvaluateNumber(text);
        const double viaFast = engine.EvaluateNumber(read);
        ASSERT_EQ(Bits(viaFast), Bits(viaText)) << std::hexfloat << value;
    }

    ScriptControl engine;
    ScriptControl::VarHandle fast = engine.BindVariable("v");
    ScriptControl::ExprHandle read = engine.Prepare("v");
    ScriptControl::ExprHandle text = engine.Prepare("t");
};

TEST_F(FastAssignment, SpecialValues) {
    const double values[] = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             0.1,
                             1.0 / 3,
                             std::nextafter(1.0, 0.0),
                             std::nextafter(1.0, 2.0),
                             0.999999999999999,
                             0.9999999999999995,
                             9.999999999999995e22,
                             1e23,
                             5e-324,
                             2.2250738585072014e-308,
                             1.2345678901234567e-310,
                             std::numeric_limits<double>::max(),
                             -std::numeric_limits<double>::max(),
                             123456789012345.5,
                             123456789012346.5,
                             0.5,
                             1e15,
                             1e-5,
                             12345678901234567890.0};
    for (double v : values)
        ExpectSame(v);
}

TEST_F(FastAssignment, MillionsOfRandomDoubles) {
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> exponent(-330, 310);
    std::vector<double> seen; // and then rounded all at once
    for (int i = 0; i < 2000000; ++i) {
        double v = 0;
        switch (i % 5) {
        case 0: { // any finite bit pattern
            const uint64_t bits = random();
            v = std::bit_cast<double>(bits);
            if (!std::isfinite(v)) continue;
            break;
        }
        case 1:
            v = unit(random) * std::pow(10.0, exponent(random));
            break;
        case 2:
            v = std::nextafter(1.0, 0.0) - unit(random) * 1e-12;
            break;
        case 3: // grid points: whole numbers over powers of two, some too long for 15 digits
            v = std::ldexp(static_cast<double>(random() >> (random() % 64)), exponent(random) / 4);
            break;
        default:
            v = -std::round(unit(random) * 1e6) / 1e3;
            break; // short decimals
        }
        ExpectSame(v);
        if (HasFatalFailure()) return;
        seen.push_back(v);
    }
    // From a value of many digits (the loop without the short values' quick test) and from one
    // of 15 digits at most (with it).
    const auto shortValue = std::find_if(seen.begin(), seen.end(), HasAtMost15Digits);
    std::vector<double> many(seen.size());
    for (const auto from : {seen.begin(), shortValue}) {
        ASSERT_NE(from == seen.begin(), HasAtMost15Digits(*from));
        const std::span<const double> values(from, seen.end());
        Round15Many(values, many.data());
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(Bits(many[i]), Bits(Round15(values[i]))) << values[i];
    }
}

// Every scale, on either side of each power of ten, where the decimal exponent changes, and
// halfway between two 15-digit numbers, where the scaled value's rounding error decides.
TEST(Round15, MatchesTheTextForEveryScale) {
    const auto read = [](const char* digits, int e) {
        const std::string text = std::string(digits) + "E" + std::to_string(e);
        return std::strtod(text.c_str(), nullptr);
    };
    for (int e = -320; e <= 308; ++e) {
        const double power = read("1", e);
        for (const double v : {1.23456789012345678 * std::pow(10.0, e), power,
                               std::nextafter(power, 0.0), std::nextafter(power, HUGE_VAL),
                               power * 0.99999999999999994, power * 0.9999999999999995,
                               read("1.234567890123455", e), read("1.234567890123465", e),
                               read("9.999999999999995", e), read("1.000000000000005", e)}) {
            if (!std::isfinite(v) || v == 0) continue;
            const std::string t = FormatNumber15(v);
            EXPECT_EQ(Bits(Round15(v)), Bits(std::strtod(t.c_str(), nullptr))) << t;
        }
    }
}

} // namespace
} // namespace vantrel
