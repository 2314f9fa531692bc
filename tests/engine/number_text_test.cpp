#include "engine/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vantrel {
namespace {

struct LeadingCase {
    const char* text;
    double value;
};

class LeadingNumberTest : public ::testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingNumberTest, ReadsTheLongestNumberPrefix) {
    EXPECT_EQ(LeadingNumber(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumberTest,
    ::testing::Values(
        // The order and maximum-error fields' texts.
        LeadingCase{"3", 3}, LeadingCase{"7 levels", 7}, LeadingCase{"2.5", 2.5},
        LeadingCase{"3.5", 3.5}, LeadingCase{"10.2", 10.2}, LeadingCase{".001", 0.001},
        LeadingCase{"1E-6", 1e-6}, LeadingCase{"abc", 0}, LeadingCase{"", 0}, LeadingCase{"-2", -2},
        LeadingCase{"+4", 4}, LeadingCase{".01", 0.01},
        // Blanks, tabs and line feeds are ignored wherever they stand, CR is not.
        LeadingCase{"  1 2\t3\n4", 1234}, LeadingCase{"- 5", -5}, LeadingCase{"1 . 5", 1.5},
        LeadingCase{"1 E 3", 1000}, LeadingCase{"1\r2", 1},
        // Exponents with E or D in either case; an incomplete exponent is not part of it.
        LeadingCase{"1D3", 1000}, LeadingCase{"2.5d-1", 0.25}, LeadingCase{"1e2", 100},
        LeadingCase{"1E", 1}, LeadingCase{"1E+", 1}, LeadingCase{"1Ex", 1},
        LeadingCase{"4E+2x", 400},
        // Reading stops at what cannot continue the number.
        LeadingCase{"1.2.3", 1.2}, LeadingCase{"--5", 0}, LeadingCase{".", 0}, LeadingCase{"-.", 0},
        LeadingCase{"E5", 0}, LeadingCase{"5.", 5}, LeadingCase{"0x10", 0}, LeadingCase{"1,5", 1},
        LeadingCase{"-0.5", -0.5},
        // Hexadecimal and octal whole numbers.
        LeadingCase{"&H1F", 31}, LeadingCase{"&h1f", 31}, LeadingCase{"&HFFFF", 65535},
        LeadingCase{"&H1G", 1}, LeadingCase{"&H", 0}, LeadingCase{"&O17", 15},
        LeadingCase{"&o17.5", 15}, LeadingCase{"&O8", 0}, LeadingCase{"& H 1F", 31},
        LeadingCase{"&17", 0}, LeadingCase{"-&H10", 0},
        // Beyond the range of a double.
        LeadingCase{"1E400", std::numeric_limits<double>::max()},
        LeadingCase{"-1E400", -std::numeric_limits<double>::max()},
        LeadingCase{"1.79769313486232E+308", std::numeric_limits<double>::max()},
        LeadingCase{"1E-400", 0}, LeadingCase{"0.0001E-330", 0},
        LeadingCase{"1E99999999999999999999", std::numeric_limits<double>::max()}));

TEST(LeadingNumber, NeverGivesAnInfinityOrNaN) {
    for (const char* text : {"inf", "nan", "infinity", "1E309", "-1E309", "&HFFFFFFFFFFFFFFFF"})
        EXPECT_TRUE(std::isfinite(LeadingNumber(text))) << text;
}

struct RoundCase {
    double value;
    bool fits;
    int32_t whole;
};

class RoundToInt32Test : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundToInt32Test, RoundsHalfToEven) {
    int32_t whole = -12345;
    EXPECT_EQ(RoundToInt32(GetParam().value, whole), GetParam().fits) << GetParam().value;
    if (GetParam().fits) {
        EXPECT_EQ(whole, GetParam().whole) << GetParam().value;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RoundToInt32Test,
    ::testing::Values(RoundCase{2.5, true, 2}, RoundCase{3.5, true, 4}, RoundCase{0.5, true, 0},
                      RoundCase{1.5, true, 2}, RoundCase{-2.5, true, -2}, RoundCase{-3.5, true, -4},
                      RoundCase{2.4999999, true, 2}, RoundCase{2.5000001, true, 3},
                      RoundCase{-0.4, true, 0}, RoundCase{10.2, true, 10},
                      RoundCase{2147483647.0, true, 2147483647},
                      RoundCase{2147483647.4, true, 2147483647}, RoundCase{2147483647.5, false, 0},
                      RoundCase{-2147483648.0, true, -2147483647 - 1},
                      RoundCase{-2147483648.5, true, -2147483647 - 1},
                      RoundCase{-2147483649.0, false, 0}, RoundCase{1e300, false, 0},
                      RoundCase{std::numeric_limits<double>::infinity(), false, 0},
                      RoundCase{std::numeric_limits<double>::quiet_NaN(), false, 0}));

struct FormatCase {
    double value;
    const char* general;
};

class NumberFormatsTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(NumberFormatsTest, WritesGeneralAssignmentAndItemForms) {
    const FormatCase& c = GetParam();
    const std::string general = c.general;
    EXPECT_EQ(GeneralNumber(c.value), general);
    const std::string signPlace = general[0] == '-' ? "" : " ";
    EXPECT_EQ(AssignmentNumber(c.value), signPlace + general);
    EXPECT_EQ(NumberItem(c.value), signPlace + general + " ");
}

INSTANTIATE_TEST_SUITE_P(Values, NumberFormatsTest,
                         ::testing::Values(FormatCase{3, "3"}, FormatCase{0, "0"},
                                           FormatCase{-0.0, "0"}, FormatCase{0.25, "0.25"},
                                           FormatCase{-0.25, "-0.25"}, FormatCase{0.001, "0.001"},
                                           FormatCase{1e-6, "1E-06"}, FormatCase{1.5e-7, "1.5E-07"},
                                           FormatCase{1e20, "1E+20"},
                                           FormatCase{1.0 / 3.0, "0.333333333333333"},
                                           FormatCase{2.0 / 3.0, "0.666666666666667"},
                                           FormatCase{123456789012345.0, "123456789012345"},
                                           FormatCase{1234567890123456.0, "1.23456789012346E+15"},
                                           FormatCase{0.1 + 0.2, "0.3"},
                                           FormatCase{-1e-300, "-1E-300"}));

TEST(NumberText, GeneralNumberReadsBackAsTheSameFifteenDigits) {
    for (double value : {1.0 / 3.0, -2.0 / 7.0, 1e-6, 6.02214076e23, 0.2, 1e15, 4.9e-324,
                         std::numeric_limits<double>::max()}) {
        const double back = LeadingNumber(GeneralNumber(value));
        EXPECT_EQ(GeneralNumber(back), GeneralNumber(value)) << value;
    }
}

} // namespace
} // namespace vantrel
