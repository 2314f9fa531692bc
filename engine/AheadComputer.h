// A way of computing a level's points ahead other than the integrator's own threads, such as on
// other processes. The integrator still takes the values in the scheme's order, each with what
// its computation wrote to the inner levels' working arrays, and makes a failed point again in
// order.
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel {

class Integrator;

// The value of a level at one point, computed ahead.
struct AheadValue {
    bool ok = false;
    double value = 0;
    int32_t recorded = 0;  // an added function's error, recorded without failing
    int32_t funcsIerr = 0; // the added functions' error record as the point left it
};

// Points of one level that share the outer levels' variable values, and what computing each
// gave: its value and its PointWrites (WorkingArrays.h), PointWrites::Size(level) per point.
struct AheadPoints {
    int level = 0;
    std::vector<double> outer; // the variable values of the levels outside level
    std::vector<double> points;
    std::vector<AheadValue> values;
    std::vector<double> writes;
};

class AheadComputer {
public:
    virtual ~AheadComputer() = default;
    // Whether the points of level, which are independent, are worth computing ahead in a problem
    // of order.
    virtual bool ComputesAhead(int level, int order) const = 0;
    // Fills batch's values and writes for every point (both are sized already); integrator's
    // ComputePoints computes some of them here. An exception ends the computation and passes to
    // the integrator's caller.
    virtual void Compute(Integrator& integrator, AheadPoints& batch) = 0;
    // Integrand evaluations made elsewhere so far.
    virtual uint64_t Evaluations() const = 0;
};

} // namespace vantrel
