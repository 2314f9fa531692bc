// The language's ^ on numbers: the C library's pow, with the square made faster.
#pragma once

#include <cmath>

namespace vantrel {

// pow(base, 2), to the bit, mostly without calling pow: the rounded product where p + e * scale
// is p for the product p and its rounding error e, with the scale for the range p lies in.
double Squared(double base);
inline constexpr double SquareModerate[2] = {0x1p-30, 0x1p31}, SquareRange[2] = {0x1p-958, 0x1p977};
inline constexpr double SquareModerateScale = 0.5 / 0.485, SquareScale = 0.5 / 0.455;
// Squared's build for this processor, for code that calls it through its address.
using SquaredFunction = double (*)(double);
SquaredFunction SquaredOnThisProcessor();

// pow(base, exponent), to the bit.
inline double Power(double base, double exponent) {
    return exponent == 2.0 ? Squared(base) : std::pow(base, exponent);
}

} // namespace vantrel
