#include "script/RandomSequence.h"

#include <bit>

namespace vantrel {

float RandomSequence::Next(float argument) {
    if (argument < 0) {
        const auto bits = std::bit_cast<uint32_t>(argument);
        seed_ = (bits + (bits >> 24)) & 0xFFFFFF;
    }
    if (argument != 0)
        seed_ = static_cast<uint32_t>((uint64_t{seed_} * 0xFD43FD + 0xC39EC3) & 0xFFFFFF);
    return static_cast<float>(seed_) / 16777216.0f;
}

} // namespace vantrel
