#include "engine/WorkingArrays.h"

#include <cmath>
#include <limits>

namespace vantrel {

namespace {

// Every working array of doubles but VarVal; FA comes first: a level that wrote it visited a
// point, so that its variable was written too.
constexpr std::vector<double> Dimension::*Computed[] = {
    &Dimension::FA,    &Dimension::FB,        &Dimension::LLVal, &Dimension::ULVal,
    &Dimension::H,     &Dimension::Sum7,      &Dimension::Sum12, &Dimension::Sum14,
    &Dimension::Sum32, &Dimension::PrevInteg, &Dimension::Integ};
constexpr std::size_t PerLevel = WorkingArrays::PerLevel;
static_assert(PerLevel == std::size(Computed) + 2); // and NSub, VarVal

// Every stored value is finite and every NSub at least 2, so these mark an element unwritten.
constexpr double Unwritten = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t UnwrittenCount = -1;

} // namespace

WorkingArrays::WorkingArrays(const Dimension& d) : order_(d.Order) {
    PointWrites::Capture(d, order_, values_.data());
}

void WorkingArrays::Restore(Dimension& d) const {
    const double* in = values_.data();
    for (int k = 0; k < order_; ++k) {
        d.NSub[k] = static_cast<int32_t>(*in++);
        d.VarVal[k] = *in++;
        for (auto array : Computed)
            (d.*array)[k] = *in++;
    }
}

namespace PointWrites {

std::size_t Size(int level) {
    return PerLevel * static_cast<std::size_t>(level);
}

void Mark(Dimension& d, int level) {
    for (int k = 0; k < level; ++k) {
        d.NSub[k] = UnwrittenCount;
        for (auto array : Computed)
            (d.*array)[k] = Unwritten;
    }
}

void Capture(const Dimension& d, int level, double* out) {
    for (int k = 0; k < level; ++k) {
        *out++ = d.NSub[k];
        *out++ = d.VarVal[k];
        for (auto array : Computed)
            *out++ = (d.*array)[k];
    }
}

void Apply(const double* in, int level, Dimension& d) {
    for (int k = 0; k < level; ++k, in += PerLevel) {
        if (in[0] == UnwrittenCount) continue; // the level was not reached
        d.NSub[k] = static_cast<int32_t>(in[0]);
        if (!std::isnan(in[2])) d.VarVal[k] = in[1];
        for (std::size_t i = 0; i < std::size(Computed); ++i)
            if (!std::isnan(in[i + 2])) (d.*Computed[i])[k] = in[i + 2];
    }
}

bool Full(const Dimension& d, int level) {
    for (int k = 0; k < level; ++k) {
        if (d.NSub[k] == UnwrittenCount) return false;
        for (auto array : Computed)
            if (std::isnan((d.*array)[k])) return false;
    }
    return true;
}

} // namespace PointWrites

} // namespace vantrel
