// The language's random numbers, as its Rnd gives them: a 24-bit linear congruential
// generator, x = (x * 0xFD43FD + 0xC39EC3) mod 2^24, each number x / 2^24 as a Single. A fresh
// sequence starts from 0x50000, so that its first numbers are 0.7055475, 0.533424, 0.5795186.
#pragma once

#include <cstdint>

namespace vantrel {

class RandomSequence {
public:
    // Rnd(argument): above 0 (or no argument) the next number; 0 the last number again; below
    // 0 the sequence restarts from the argument's bits as a Single, which gives its first number.
    float Next(float argument = 1.0f);

private:
    uint32_t seed_ = 0x50000;
};

} // namespace vantrel
