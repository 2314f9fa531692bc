#include "script/Power.h"

#include "script/Processor.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace vantrel {

namespace {

// The compiler turns pow(x, 2.0) into x * x, the very assumption this file must not make: it
// sees no value through this.
double Opaque(double value) {
    __asm__("" : "+x"(value));
    return value;
}

// The C library's pow (the one of 2018 on, from Arm's optimized routines) documents a worst-case
// error of 0.54 ULP: its result lies within 0.54 ULP of the exact power. The rounded product
// x * x is the double nearest the exact square p + e (e exact by fma). Where |e| is at most
// 0.4 ULP of p, every other double lies more than 0.6 ULP from the exact square, so pow can only
// have returned p as well. Just below a power of two the doubles lie twice as close, hence 0.2
// there. Near overflow and underflow, and for non-finite values, pow itself is called. The test
// suite checks the claim on millions of doubles of every magnitude; fma is exact on every
// processor.
[[gnu::always_inline]] inline double Square(double base) {
    const double p = base * base;
    const double e = std::fma(base, base, -p);
    const auto bits = std::bit_cast<uint64_t>(p);
    const auto biased = static_cast<int>(bits >> 52) & 0x7ff;
    if (biased > 64 && biased < 2000) {
        const double unit = std::bit_cast<double>(static_cast<uint64_t>(biased - 52) << 52);
        const bool powerOfTwo = (bits & ((uint64_t{1} << 52) - 1)) == 0;
        if (std::fabs(e) <= (powerOfTwo ? 0.2 : 0.4) * unit) return p;
    }
    return std::pow(base, Opaque(2.0));
}

} // namespace

double Squared(double base) {
    return OnThisProcessor<Square>(base);
}

} // namespace vantrel
