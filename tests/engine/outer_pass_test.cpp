// The outermost level's pass as the progress poll sees it, computed sequentially and ahead.
#include "ComputationFixture.h"

#include <algorithm>

namespace vantrel::testing {
namespace {

using PassPolls = ComputationFixture;

TEST_F(PassPolls, FollowTheRefinementOfTheOutermostLevel) {
    for (int threads : {1, 3}) {
        // Long enough for several polls (one each 10 ms) while the last passes run, even on
        // a loaded machine: a single poll may come as a pass begins, none of its points done.
        Define("Sin(30*x)*Sin(y*x)", {{"y", "0", "1", 1 << 13}, {"x", "0", "3", 4}}, 1e-9);
        integrator.SetThreads(threads);
        std::vector<PassProgress> polls;
        integrator.SetProgressPoll([&](uint64_t) {
            polls.push_back(integrator.Pass());
            return false;
        });
        ASSERT_TRUE(Run());
        ASSERT_FALSE(polls.empty()) << threads;
        for (std::size_t i = 0; i < polls.size(); ++i) {
            const PassProgress& p = polls[i];
            // The first pass visits 5 points for a grid of 4; a later one n midpoints for 2n.
            if (p.subintervals == 4)
                EXPECT_EQ(p.points, 5);
            else
                EXPECT_EQ(p.points * 2, p.subintervals);
            EXPECT_LE(p.done, p.points);
            EXPECT_LE(p.subintervals, d.NSub[1]);
            if (i == 0) continue;
            const PassProgress& before = polls[i - 1];
            EXPECT_GE(p.subintervals, before.subintervals) << threads;
            if (p.subintervals == before.subintervals) {
                EXPECT_GE(p.done, before.done) << threads;
            }
        }
        EXPECT_TRUE(std::any_of(polls.begin(), polls.end(), [](const PassProgress& p) {
            return p.done > 0;
        })) << threads;
    }
}

} // namespace
} // namespace vantrel::testing
