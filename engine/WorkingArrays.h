// The integrator's working arrays as a whole, and what one point writes to them.
#pragma once

#include "engine/Dimension.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vantrel {

// A copy of every working array, which a failed computation ahead restores: in place, as it is
// made at every computation ahead, however small.
class WorkingArrays {
public:
    // Values per level: NSub, VarVal and the eleven other arrays.
    static constexpr std::size_t PerLevel = 13;

    explicit WorkingArrays(const Dimension& d);
    void Restore(Dimension& d) const;

private:
    int32_t order_;
    std::array<double, PerLevel * Dimension::MaxOrder> values_; // as PointWrites::Capture lays them
};

// The elements of the inner levels (below a point's level) that computing the point wrote.
// A level whose limits are equal at a point keeps most of its elements from an earlier point,
// so a point computed on another state hands over only what it wrote.
namespace PointWrites {

// Values per point of the given level in a Capture.
std::size_t Size(int level);
// Marks the inner levels' elements as not yet written, before the point is computed.
void Mark(Dimension& d, int level);
// Copies the inner levels' elements, after the point has been computed.
void Capture(const Dimension& d, int level, double* out);
// Writes the captured elements that the point wrote.
void Apply(const double* in, int level, Dimension& d);
// Whether the point just computed wrote every element of the inner levels (since Mark): what an
// earlier point wrote is then all overwritten.
bool Full(const Dimension& d, int level);

} // namespace PointWrites

} // namespace vantrel
