// A way of computing a level's points ahead other than the integrator's own threads, such as on
// other processes. The integrator still takes the values in the scheme's order, each with what
// its computation wrote to the inner levels' working arrays, and makes a failed point again in
// order.
#pragma once

#include "engine/BatchMemory.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace vantrel {

class Integrator;
struct Dimension;

// The added functions' error record before a point computed ahead: a point that leaves it so has
// not touched it.
inline constexpr int32_t UntouchedIerr = std::numeric_limits<int32_t>::min();

// The value of a level at one point, computed ahead. AheadValue{} is a failed point; a plain
// AheadValue is not initialized, as the room for a batch's values is not. Sixteen bytes: a large
// batch's values are memory the pool's threads write fresh, which a virtual machine makes ready
// page by page at a high cost.
struct AheadValue {
    double value;
    int32_t funcsIerr; // the added functions' error record as the point left it
    // An added function's error, recorded without failing: one of the language's run-time error
    // numbers, which are small (Records).
    int32_t recorded : 30;
    bool ok : 1;
    // What the point wrote to the inner levels' arrays, the next point of its batch wrote over
    // (it wrote every element): its writes were not captured and are not to be applied.
    bool covered : 1;

    // Whether recorded holds the error number: a point whose number it would not hold is taken
    // as failed, and made again in order.
    static constexpr bool Records(int32_t number) {
        return number >= -(1 << 29) && number < (1 << 29);
    }
    // The point's value, taken into the state d as its computation there would have left it:
    // its writes applied (unless covered), the error it recorded set in ierr, and the added
    // functions' error record as it left it.
    double TakeInto(Dimension& d, int level, const double* writes, int32_t& ierr) const;
};
static_assert(sizeof(AheadValue) == 16);

// An allocator whose vectors leave the elements they add uninitialized: each point computed
// ahead fills its own on the thread that computes it, so that a batch of many points does not
// wait for one thread to write all of its memory, page by page, first. Its memory is batch
// memory (BatchMemory.h), in huge pages unless the vector is written here and there only.
template <class T, bool Sparse = false> struct Unfilled : std::allocator<T> {
    Unfilled() = default;
    template <class U> Unfilled(const Unfilled<U, Sparse>&) noexcept {}
    template <class U> struct rebind { using other = Unfilled<U, Sparse>; };
    T* allocate(std::size_t n) {
        return static_cast<T*>(AllocateBatchMemory(n * sizeof(T), !Sparse));
    }
    void deallocate(T* block, std::size_t n) noexcept {
        FreeBatchMemory(block, n * sizeof(T), !Sparse);
    }
    template <class U> void construct(U* at) noexcept { ::new (static_cast<void*>(at)) U; }
    template <class U, class... Args> void construct(U* at, Args&&... args) {
        std::construct_at(at, std::forward<Args>(args)...);
    }
};

// Points of one level that share the outer levels' variable values, and what computing each
// gave: its value and its PointWrites (WorkingArrays.h), PointWrites::Size(level) per point.
struct AheadPoints {
    int level = 0;
    std::vector<double> outer; // the variable values of the levels outside level
    std::vector<double> points;
    std::vector<AheadValue, Unfilled<AheadValue>> values;
    // Most points computed on the pool's threads leave their writes out (AheadValue::covered).
    std::vector<double, Unfilled<double, true>> writes;

    // Room for count points' values and writes, not initialized.
    void MakeRoom(std::size_t count);
};

class AheadComputer {
public:
    virtual ~AheadComputer() = default;
    // Whether the points of level, which are independent, may be worth computing ahead in a
    // problem of order.
    virtual bool ComputesAhead(int level, int order) const = 0;
    // Whether a batch of count points of such a level is worth it: where not, the integrator
    // computes the batch as it does without this way (on its own threads if it has several).
    virtual bool Takes(int level, std::size_t count) const = 0;
    // Fills batch's values and writes for every point (both are sized already); integrator's
    // ComputePoints computes some of them here. An exception ends the computation and passes to
    // the integrator's caller.
    virtual void Compute(Integrator& integrator, AheadPoints& batch) = 0;
    // Integrand evaluations made elsewhere so far.
    virtual uint64_t Evaluations() const = 0;
};

} // namespace vantrel
