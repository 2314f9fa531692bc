#include "ComputationFixture.h"

#include <bit>
#include <cmath>

namespace vantrel::testing {
namespace {

using Integration = ComputationFixture;

TEST_F(Integration, QuarticNeedsOneRefinementAndStopsAtEight) {
    Define("x^4", {{"x", "0", "1", 4}}, 0.001);
    ASSERT_TRUE(Run());
    EXPECT_EQ(d.NSub[0], 8);
    EXPECT_NEAR(Result(), 0.2, 1e-15);
    EXPECT_EQ(integrator.Evaluations(), 9u); // N + 1 with N = 8: the midpoint's value reused
    EXPECT_EQ(d.Level, 1);
    EXPECT_TRUE(reporter.shown.empty());
}

TEST_F(Integration, MidpointReuseChangesNoBitOfANestedResult) {
    Define("Exp(x*y)", {{"y", "0", "x", 4}, {"x", "0", "1", 4}}, 1e-3);
    ASSERT_TRUE(Run());
    const double reused = Result();
    const uint64_t fewer = integrator.Evaluations();
    // An inner limit that reads its own level's left-over value forbids the reuse everywhere.
    Define("Exp(x*y)", {{"y", "0", "x + 0*y", 4}, {"x", "0", "1", 4}}, 1e-3);
    ASSERT_TRUE(Run());
    EXPECT_EQ(std::bit_cast<uint64_t>(Result()), std::bit_cast<uint64_t>(reused));
    EXPECT_EQ(fewer, 40u);
    EXPECT_EQ(integrator.Evaluations() - fewer, 54u);
}

TEST_F(Integration, SimpsonEstimateIsTheFirstPreviousEstimate) {
    Define("x^4", {{"x", "0", "1", 4}}, 10);
    ASSERT_TRUE(Run());
    EXPECT_EQ(d.NSub[0], 4);
    EXPECT_DOUBLE_EQ(d.PrevInteg[0], (4 * 0.0625 + 0 + 1) * (0.5 / 3));
}

struct StopCase {
    const char* integrand;
    int32_t minSub;
    int32_t expectedNSub;
    double expected;
};

class StoppingGrid : public ComputationFixture, public ::testing::WithParamInterface<StopCase> {};

TEST_P(StoppingGrid, StopsAtTheFirstAllowedTest) {
    const StopCase& c = GetParam();
    Define(c.integrand, {{"x", "0", "2", c.minSub}}, 1e-9);
    ASSERT_TRUE(Run());
    EXPECT_EQ(d.NSub[0], c.expectedNSub);
    EXPECT_NEAR(Result(), c.expected, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Cases, StoppingGrid,
                         ::testing::Values(StopCase{"3", 0, 4, 6}, StopCase{"x^3-x", 4, 4, 2},
                                           StopCase{"x^5", -7, 8, 64.0 / 6},
                                           StopCase{"1", 10, 16, 2}, StopCase{"1", 16, 16, 2},
                                           StopCase{"1", 17, 32, 2}));

TEST_F(Integration, EqualLimitsGiveZeroWithoutEvaluatingTheIntegrand) {
    Define("1/0", {{"x", "1+1", "2", 4}});
    ASSERT_TRUE(Run());
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(integrator.Evaluations(), 0u);
    EXPECT_EQ(d.LLVal[0], 2);
}

TEST_F(Integration, ReversedLimitsNegateTheIntegral) {
    Define("Exp(x)*Sin(3*x)", {{"x", "0", "2", 4}});
    ASSERT_TRUE(Run());
    const double forward = Result();
    Define("Exp(x)*Sin(3*x)", {{"x", "2", "0", 4}});
    ASSERT_TRUE(Run());
    EXPECT_NEAR(Result(), -forward, 1e-12);
}

TEST_F(Integration, InnerLimitsFollowTheOuterVariable) {
    Define("1", {{"y", "0", "x"}, {"x", "0", "1"}});
    ASSERT_TRUE(Run());
    EXPECT_NEAR(Result(), 0.5, 1e-12);
    EXPECT_EQ(d.Level, 2);
    Define("x*y", {{"y", "0", "1"}, {"x", "0", "2"}});
    ASSERT_TRUE(Run());
    EXPECT_NEAR(Result(), 1, 1e-12);
}

TEST_F(Integration, TripleIntegralWithVariableLimits) {
    // The volume of the simplex x, y, z >= 0, x + y + z <= 1.
    Define("1", {{"z", "0", "1-x-y"}, {"y", "0", "1-x"}, {"x", "0", "1"}}, 1e-9);
    ASSERT_TRUE(Run());
    EXPECT_NEAR(Result(), 1.0 / 6, 1e-9);
}

TEST_F(Integration, EmptyValueIsZero) {
    Define("Empty", {{"x", "0", "1"}});
    ASSERT_TRUE(Run());
    EXPECT_EQ(Result(), 0);
}

TEST_F(Integration, VariableNamedLikeAnAddedPropertyIsStoredThere) {
    Define("x*e", {{"x", "0", "1"}});
    ASSERT_TRUE(Run());
    EXPECT_NEAR(Result(), std::exp(1.0) / 2, 1e-12);
    EXPECT_EQ(d.Funcs().x, 0.75); // the last point of the 4-subinterval grid
}

} // namespace
} // namespace vantrel::testing
