#include "io/Report.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

ReportInput Triple() {
    ReportInput input;
    input.order = 3;
    input.varNames = {"x", "y", "z"};
    input.integrand = "a*x+b*y*z";
    input.levels = {{"x", "y", "0", 16}, {"y", "1", "-z", 8}, {"z", "1", "0", 4}};
    input.maxError = 0.001;
    return input;
}

TEST(ReportLines, TripleIntegralWithoutConstantsOrResult) {
    const std::vector<std::string> expected = {"    ORDER: 3 ",
                                               "VARIABLES: x,y,z",
                                               "INTEGRAND:",
                                               "a*x+b*y*z",
                                               "",
                                               "INTEGRATION # 1 OVER x:",
                                               "UPPER LIMIT: y",
                                               "LOWER LIMIT: 0",
                                               "MINIMUM # OF SUBINTERVALS: 16 ",
                                               "",
                                               "INTEGRATION # 2 OVER y:",
                                               "UPPER LIMIT: 1",
                                               "LOWER LIMIT: -z",
                                               "MINIMUM # OF SUBINTERVALS: 8 ",
                                               "",
                                               "INTEGRATION # 3 OVER z:",
                                               "UPPER LIMIT: 1",
                                               "LOWER LIMIT: 0",
                                               "MINIMUM # OF SUBINTERVALS: 4 ",
                                               "",
                                               "MAXIMUM ERROR: 0.001 ",
                                               ""};
    EXPECT_EQ(ReportLines(Triple()), expected);
}

TEST(ReportLines, ConstantsBlockAndResultLine) {
    ReportInput input = Triple();
    input.order = 1;
    input.varNames = {"t"};
    input.levels = {{"t", "1", "0", 0}};
    input.listConstants = true;
    input.constants = {"a=2.37", "b=a+1"};
    input.maxError = 1e-6;
    input.computed = true;
    input.integral = 0.25;
    const std::vector<std::string> expected = {"    ORDER: 1 ",
                                               "VARIABLES: t",
                                               "INTEGRAND:",
                                               "a*x+b*y*z",
                                               "",
                                               "CONSTANTS:",
                                               "a=2.37",
                                               "b=a+1",
                                               "",
                                               "INTEGRATION # 1 OVER t:",
                                               "UPPER LIMIT: 1",
                                               "LOWER LIMIT: 0",
                                               "MINIMUM # OF SUBINTERVALS: 0 ",
                                               "",
                                               "MAXIMUM ERROR: 1E-06 ",
                                               "",
                                               "INTEGRAL=  0.25 "};
    EXPECT_EQ(ReportLines(input), expected);
}

TEST(ReportLines, NegativeIntegralTakesTheBlankPlace) {
    ReportInput input = Triple();
    input.computed = true;
    input.integral = -1.0 / 3.0;
    EXPECT_EQ(ReportLines(input).back(), "INTEGRAL= -0.333333333333333 ");
}

TEST(ReportLines, ConstantsFollowTheCountNotTheList) {
    ReportInput input = Triple();
    input.constants = {"a=1"}; // listed only when the state counts constants
    const std::vector<std::string> lines = ReportLines(input);
    EXPECT_EQ(lines[5], "INTEGRATION # 1 OVER x:");

    input.listConstants = true;
    input.constants.clear();
    const std::vector<std::string> listed = ReportLines(input);
    EXPECT_EQ(listed[5], "CONSTANTS:");
    EXPECT_EQ(listed[6], "");
    EXPECT_EQ(listed[7], "INTEGRATION # 1 OVER x:");
}

} // namespace
} // namespace vantrel
