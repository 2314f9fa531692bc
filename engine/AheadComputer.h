// A way of computing a level's points ahead other than the integrator's own threads, such as on
// other processes. The integrator still takes the values in the scheme's order and makes a
// failed point again in order.
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel {

class Integrator;

// The value of a level at one point, computed ahead.
struct AheadValue {
    bool ok = false;
    double value = 0;
    int32_t recorded = 0; // an added function's error, recorded without failing
};

class AheadComputer {
public:
    virtual ~AheadComputer() = default;
    // Whether the points of level are worth computing ahead in a problem of order.
    virtual bool ComputesAhead(int level, int order) const = 0;
    // Fills values (one per point) with level's values at points, each computed from the state
    // the points share in integrator's problem; integrator.ComputePoints computes some of them
    // here. An exception ends the computation and passes to the integrator's caller.
    virtual void Compute(Integrator& integrator, int level, const std::vector<double>& points,
                         std::vector<AheadValue>& values) = 0;
    // Integrand evaluations made elsewhere so far.
    virtual uint64_t Evaluations() const = 0;
};

} // namespace vantrel
