#include "engine/OuterPass.h"

#include <algorithm>
#include <bit>

namespace vantrel {

namespace {

constexpr int32_t FirstGrid = 4;
constexpr int32_t FirstPoints = 5; // ends, midpoint, quarter points

} // namespace

void OuterPass::Reset() {
    pass_ = {};
    visited_ = 0;
    refining_ = false;
    doneAhead_.store(0, std::memory_order_relaxed);
}

void OuterPass::Begin(int32_t subintervals, int32_t points) {
    pass_ = {subintervals, 0, points};
    visited_ = 0;
    doneAhead_.store(0, std::memory_order_relaxed);
}

int32_t OuterPass::Grid(const Dimension& d) const {
    return refining_ ? 2 * d.NSub[d.LastLevel] : FirstGrid;
}

void OuterPass::Visit(const Dimension& d, double x, int32_t count) {
    const int L = d.LastLevel;
    // A refinement starts at its first midpoint, computed here exactly as the scheme does.
    if (d.NSub[L] == 2)
        refining_ = false;
    else if (std::bit_cast<uint64_t>(x) == std::bit_cast<uint64_t>(d.H[L] / 2 + d.LLVal[L]))
        refining_ = true;
    const int32_t grid = Grid(d);
    if (grid != pass_.subintervals) Begin(grid, refining_ ? d.NSub[L] : FirstPoints);
    visited_ += count;
}

void OuterPass::BeginAhead(const Dimension& d, std::size_t points) {
    refining_ = d.NSub[d.LastLevel] != 2;
    Begin(Grid(d), static_cast<int32_t>(points));
}

PassProgress OuterPass::Current() const {
    PassProgress p = pass_;
    p.done =
        std::clamp(std::max(visited_ - 1, doneAhead_.load(std::memory_order_relaxed)), 0, p.points);
    return p;
}

} // namespace vantrel
