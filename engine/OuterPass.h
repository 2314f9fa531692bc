// Where the outermost level's refinement stands, for progress displays: the pass under way, the
// grid it completes and how many of its points are done. The scheme's first pass evaluates the
// Simpson and Boole estimates on a grid of 4; each later pass visits the n midpoints of a grid of
// n subintervals and so completes one of 2n.
#pragma once

#include "engine/Dimension.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace vantrel {

struct PassProgress {
    int32_t subintervals = 0; // the grid the pass completes; 0 before the first visit
    int32_t done = 0;         // points of the pass whose values are known
    int32_t points = 0;       // points the pass visits
};

class OuterPass {
public:
    void Reset();
    // The scheme visits the outermost level's point x, in its order, before knowing its value,
    // and the count - 1 points that follow it in its refinement.
    void Visit(const Dimension& d, double x, int32_t count = 1);
    // The coming pass's points are computed ahead; DoneAhead counts each, from any thread.
    void BeginAhead(const Dimension& d, std::size_t points);
    void DoneAhead() { doneAhead_.fetch_add(1, std::memory_order_relaxed); }

    PassProgress Current() const;

private:
    void Begin(int32_t subintervals, int32_t points);
    int32_t Grid(const Dimension& d) const;

    PassProgress pass_;
    int32_t visited_ = 0;
    bool refining_ = false; // the first pass is over
    // Counted by the pool's threads: on a cache line of its own, apart from what the scheme's
    // thread writes at every visit.
    alignas(64) std::atomic<int32_t> doneAhead_{0};
};

} // namespace vantrel
