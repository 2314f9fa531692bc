// What the processor offers beyond the build's baseline. Functions that have a build for
// processors with an fma instruction choose it here, at their first call, rather than through the
// loader's indirect functions, which run before sanitizers are ready.
#pragma once

namespace vantrel {

inline bool HasFmaInstruction() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("fma") != 0;
    }();
    return has;
}

// Whether machine code made here may use 256-bit vectors of doubles.
inline bool HasAvx2Instructions() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

// Whether machine code made here may use 512-bit vectors of doubles, with their masks.
inline bool HasAvx512Instructions() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512vl") != 0 &&
               __builtin_cpu_supports("avx512dq") != 0;
    }();
    return has;
}

// Function, inlined into a build for processors with an fma instruction and into one for the
// others, called through the build for this processor. Function must be always_inline; fma is
// exact either way, so both builds give the same bits.
template <double (&Function)(double)> [[gnu::target("fma")]] double WithFma(double x) {
    return Function(x);
}

template <double (&Function)(double)> double WithoutFma(double x) {
    return Function(x);
}

template <double (&Function)(double)> double OnThisProcessor(double x) {
    return HasFmaInstruction() ? WithFma<Function>(x) : WithoutFma<Function>(x);
}

} // namespace vantrel
