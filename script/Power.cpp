#include "script/Power.h"

#include "script/Processor.h"

#include <array>
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

// pow's squares of the bases that failed the test below lately: an inner level's points come
// again at every point of the outer levels, and with them the same few bases.
[[gnu::noinline]] double PowSquare(double base) {
    struct Kept {
        uint64_t base;
        double square;
    };
    thread_local std::array<Kept, 256> kept{}; // pow(+0, 2) is +0
    const auto bits = std::bit_cast<uint64_t>(base);
    Kept& slot = kept[(bits * 0x9E3779B97F4A7C15) >> 56];
    if (slot.base != bits) slot = {bits, std::pow(base, Opaque(2.0))};
    return slot.square;
}

// The C library's pow (the one of 2018 on, from Arm's optimized routines) documents a worst-case
// error of 0.54 ULP: its result lies within 0.54 ULP of the exact power. Its error analysis
// splits that into 0.509 ULP from its exp step (the 0.5 of the final rounding included; 0.511
// without fma) and the relative error of its log, 1.3 * 2^-68 (1.5 * 2^-68 without fma), which
// the exp step scales by |y * log x| up to 1024 * ln 2: before the final rounding its value lies
// within 0.009 + |y * log x| * 1.5 * 2^-15 ULP of the exact power, which is below 0.04 for every
// square and below 0.013 for the squares of 2^-15 ... 2^15. The rounded product p = x * x is
// the double nearest the exact square p + e (e exact by fma). Where |e| is at most 0.5 ULP less
// that margin (0.46, or 0.487 for those moderate bases; here 0.455 and 0.485), pow's final
// rounding can only give p as well; measured, pow first differs from p at 0.491. The test: p + e *
// (0.5 / margin) rounds back to p exactly where |e| is at most margin times the spacing of the
// doubles on e's side of p, which just below a power of two is half an ULP, as the bounds there
// are halved too. Near overflow and underflow, and for non-finite values, pow itself is called.
// The machine code makes the same test. The test suite checks the claim on millions of doubles of
// every magnitude, those close to either bound included; fma is exact on every processor.
[[gnu::always_inline]] inline double Square(double base) {
    const double p = base * base;
    const double e = std::fma(base, base, -p);
    if (p >= SquareModerate[0] && p < SquareModerate[1]) {
        if (p + e * SquareModerateScale == p) return p;
    } else if (p >= SquareRange[0] && p < SquareRange[1] && p + e * SquareScale == p) {
        return p;
    }
    return PowSquare(base);
}

} // namespace

double Squared(double base) {
    return OnThisProcessor<Square>(base);
}

SquaredFunction SquaredOnThisProcessor() {
    return HasFmaInstruction() ? WithFma<Square> : WithoutFma<Square>;
}

} // namespace vantrel
