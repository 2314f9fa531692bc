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

} // namespace vantrel
