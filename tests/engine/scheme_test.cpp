#include "engine/BooleScheme.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

// A policy with the integrand compiled in, recording the points it is asked for.
struct RecordingPolicy {
    Dimension& d;
    double (*integrand)(double);
    bool record = true;
    std::vector<double> points;
    int setVars = 0;

    void SetVars() { ++setVars; }
    double EvalLimit(int level, bool upper) { return upper ? d.ULVal[level] : d.LLVal[level]; }
    double EvalF() {
        if (record) points.push_back(d.VarVal[0]);
        return integrand(d.VarVal[0]);
    }
};

Dimension OneLevel(double lower, double upper, double maxError) {
    Dimension d;
    d.RecreateLevelArrays(1);
    d.LLVal[0] = lower;
    d.ULVal[0] = upper;
    d.MaxError = maxError;
    d.Level = 1;
    return d;
}

TEST(BooleScheme, VisitsThePointsInTheFixedOrder) {
    Dimension d = OneLevel(0, 1, 0.001);
    RecordingPolicy policy{d, [](double x) { return x * x * x * x; }, true, {}};
    BooleScheme<RecordingPolicy>(d, policy).Compute();
    const std::vector<double> expected = {0, 1, 0.5, 0.5, 0.25, 0.75, 0.125, 0.375, 0.625, 0.875};
    EXPECT_EQ(policy.points, expected);
    EXPECT_EQ(policy.setVars, 1); // the integrand's own assignments are the policy's
}

TEST(BooleScheme, SubintervalCountOverflowsAtTwoToTheThirty) {
    Dimension d = OneLevel(0, 1, 0); // no difference is below 0: the grid never stops
    RecordingPolicy policy{d, [](double) { return 1.0; }, false, {}};
    try {
        BooleScheme<RecordingPolicy>(d, policy).Compute();
        FAIL() << "the grid doubled past 2^30";
    } catch (const ComputationError& error) {
        EXPECT_EQ(error.number, OverflowError);
    }
    EXPECT_EQ(d.NSub[0], MaxSubintervals);
}

} // namespace
} // namespace vantrel
