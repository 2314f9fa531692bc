// The midpoints that a refinement of a level visits: the first, then each one step on from the
// one before, rounded, as the scheme makes them; a point that is not finite is the last one.
// Only every Spacing-th point is kept, and a thread makes the others again from the one kept
// before them, in the same additions: a list of the points of a pass would be fresh memory to
// write at every pass (twice as large as the pass before), a page fault every 512 points, some
// microseconds each on a virtual machine, while the threads that compute the points wait for it.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace vantrel {

class PointChain {
public:
    static constexpr std::size_t Spacing = 64;
    using Block = std::array<double, Spacing>;

    // The chain of at most count points from first on, step apart, not made yet.
    void Assign(double first, double step, std::size_t count) {
        first_ = first;
        step_ = step;
        size_ = count;
        made_ = false;
    }
    double Step() const { return step_; }
    // Makes the kept points, once: Size() is then the number of points.
    void Make();
    // At most the count assigned; the chain's size once made.
    std::size_t Size() const { return size_; }
    // The points from Spacing * block on, as many as the chain has up to Spacing, and how many
    // they are; made.
    std::size_t MakeBlock(std::size_t block, Block& points) const;
    // Every point in order.
    void List(std::vector<double>& points);

private:
    std::vector<double> kept_; // points 0, Spacing, 2 * Spacing, ...
    double first_ = 0, step_ = 0;
    std::size_t size_ = 0;
    bool made_ = false;
};

} // namespace vantrel
