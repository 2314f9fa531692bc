// The language's ^ on numbers: the C library's pow, with the square made faster.
#pragma once

#include <cmath>

namespace vantrel {

// pow(base, 2), to the bit, mostly without calling pow.
double Squared(double base);
// Squared's build for this processor, for code that calls it through its address.
using SquaredFunction = double (*)(double);
SquaredFunction SquaredOnThisProcessor();

// pow(base, exponent), to the bit.
inline double Power(double base, double exponent) {
    return exponent == 2.0 ? Squared(base) : std::pow(base, exponent);
}

} // namespace vantrel
