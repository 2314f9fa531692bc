// A chain gives the points that the scheme's refinement visits, to the bit: each one the step
// plus the one before, rounded, and none after the first that is not finite.
#include "engine/PointChain.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vantrel {
namespace {

std::vector<double> Visited(double first, double step, std::size_t count) {
    std::vector<double> points{first};
    while (points.size() < count && std::isfinite(points.back()))
        points.push_back(step + points.back());
    return points;
}

TEST(PointChain, HoldsTheRefinementsPoints) {
    const struct {
        double first, step;
        std::size_t count;
    } cases[] = {
        {0.125, 0.25, 1},
        {-1 + 1.0 / 3, 2.0 / 3, 63},
        {0.1, 0.2, 64},
        {1e-3, 1e-3 / 7, 130},
        {0.5 / 65536, 1.0 / 65536, 65535},
        {1e308, 2e307, 200}, // overflows after a few points
    };
    PointChain chain;
    for (const auto& c : cases) {
        chain.Assign(c.first, c.step, c.count);
        const std::vector<double> expected = Visited(c.first, c.step, c.count);
        std::vector<double> listed;
        chain.List(listed);
        ASSERT_EQ(chain.Size(), expected.size()) << c.count;
        for (std::size_t i = 0; i < expected.size(); ++i)
            ASSERT_EQ(std::bit_cast<uint64_t>(listed[i]), std::bit_cast<uint64_t>(expected[i]))
                << c.count << " at " << i;
    }
}

} // namespace
} // namespace vantrel
