#include "script/NumberFormat.h"

#include "script/Processor.h"
#include "script/VariantOps.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vantrel {

namespace {

// Powers of ten that a double holds exactly.
constexpr std::array<double, 23> ExactPowers = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The doubles nearest to 10^-22 ... 10^22.
constexpr auto NearestPowers = [] {
    std::array<double, 45> powers{};
    for (std::size_t k = 0; k < ExactPowers.size(); ++k) {
        powers[22 + k] = ExactPowers[k];
        powers[22 - k] = 1 / ExactPowers[k];
    }
    return powers;
}();

double Round15ThroughText(double value) {
    return std::copysign(DecimalTextToDouble(FormatNumber15(std::fabs(value))), value);
}

// |exact| compared with bound, where exact = product + error exactly.
int CompareExact(double product, double error, double bound) {
    if (product != bound) return product < bound ? -1 : 1;
    return error < 0 ? -1 : (error > 0 ? 1 : 0);
}

} // namespace

std::string FormatNumber15(double value) {
    if (value == 0.0) return "0"; // also for -0, which the language writes without a sign
    std::array<char, 40> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::general, 15);
    std::string text(buffer.data(), result.ptr);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

std::string AssignmentText(double value) {
    std::string text = FormatNumber15(value);
    return text[0] == '-' ? text : " " + text;
}

namespace {

// Round15Digits' common case in straight-line code, without its loop, so that the roundings of a
// batch overlap in the processor (the scale's choice is mispredicted only in the binary exponents
// that hold a power of ten, and leaving for the full rounding is rare): a magnitude whose 15 digits
// take a scale of 10^1 ... 10^22 (about 1E-7 to 1E14), the decimal exponent from the binary one
// being right or one too small, where the scaled product lies strictly between 10^14 and 10^15 (so
// the exact one does too: both bounds are doubles) and is not halfway between two whole numbers.
// Elsewhere false, and the full rounding decides; where true, its result is the full rounding's,
// which finds the same scale, product and whole number.
[[gnu::always_inline]] inline bool Round15Common(double value, double& rounded) {
    const double magnitude = std::fabs(value);
    const int binary = static_cast<int>(std::bit_cast<uint64_t>(magnitude) >> 52) - 1023;
    const int shift = 14 - ((binary * 78913) >> 18);
    if (shift < 1 || shift > 22) return false; // also zero, subnormal and not finite
    const double power = ExactPowers[static_cast<std::size_t>(shift)];
    const double lower = ExactPowers[static_cast<std::size_t>(shift - 1)];
    const double high = magnitude * power, low = magnitude * lower;
    const bool tooHigh = high >= 1e15;
    const double product = tooHigh ? low : high, scale = tooHigh ? lower : power;
    const double whole = (product + 0x1p52) - 0x1p52;
    if (!(product > 1e14 && product < 1e15) || std::fabs(product - whole) == 0.5) return false;
    rounded = std::copysign(whole / scale, value);
    return true;
}

// The value is scaled by an exact power of ten so that its 15 significant digits become the
// whole part; the product's rounding error is recovered with fma, so the whole-number rounding
// (half to even) is decided on the exact scaled value. Dividing (or multiplying) back by the
// exact power is one correctly rounded operation, as reading the digits back would be.
// Every variable assignment of the integrator comes here, so the function is also built for
// processors with an fma instruction; fma is exact either way, so both give the same bits.
[[gnu::always_inline]] inline double Round15Digits(double value) {
    if (double rounded = 0; Round15Common(value, rounded)) return rounded;
    if (value == 0.0 || !std::isfinite(value))
        return value == 0.0 ? 0.0 : Round15ThroughText(value);
    const double magnitude = std::fabs(value);
    // The decimal exponent from the binary one (78913 / 2^18 is log10(2) from below, the shift
    // rounds towards minus infinity), one too small where the value is at least the next power
    // of ten; the loop corrects what this comparison with inexact powers may still miss.
    const int binary = static_cast<int>(std::bit_cast<uint64_t>(magnitude) >> 52) - 1023;
    int shift = 14 - ((binary * 78913) >> 18);
    if (std::abs(shift - 15) <= 22 &&
        magnitude >= NearestPowers[static_cast<std::size_t>(37 - shift)])
        --shift;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (shift < -22 || shift > 22) return Round15ThroughText(value);
        const double power = ExactPowers[static_cast<std::size_t>(std::abs(shift))];
        double product = 0.0, error = 0.0;
        if (shift >= 0) {
            product = magnitude * power;
            error = std::fma(magnitude, power, -product);
        } else {
            product = magnitude / power;
            // The exact quotient's remainder: magnitude - product * power, exact by fma.
            const double remainder = std::fma(-product, power, magnitude);
            error = remainder / power; // only its sign and whether it is zero are used
        }
        if (CompareExact(product, error, 1e14) < 0) {
            ++shift;
            continue;
        }
        if (CompareExact(product, error, 1e15) >= 0) {
            --shift;
            continue;
        }
        // product < 10^15 < 2^50: adding 2^52 rounds it to a whole number, half to even, and
        // subtracting it again is exact. Elsewhere than halfway, product and the exact value
        // round alike: halfway values are doubles, and product is the double nearest the exact
        // value, so none lies between them. Halfway, the error decides.
        double whole = (product + 0x1p52) - 0x1p52;
        const double beyond = product - whole; // exact
        if ((beyond == 0.5 || beyond == -0.5) && error != 0)
            whole = error > 0 ? product + 0.5 : product - 0.5;
        const double rounded = shift >= 0 ? whole / power : whole * power;
        return std::copysign(rounded, value);
    }
    return Round15ThroughText(value);
}

} // namespace

double RoundTo15Digits(double value) {
    return OnThisProcessor<Round15Digits>(value);
}

namespace {

// The quick test for values of 15 digits at most only saves time where such values are common:
// a batch that begins with a longer one (the points between limits that read outer variables)
// goes without it, as the full rounding gives such values themselves as well.
[[gnu::always_inline]] inline void Round15Loop(std::span<const double> values, double* rounded) {
    if (!values.empty() && !HasAtMost15Digits(values[0])) {
        for (std::size_t i = 0; i < values.size(); ++i)
            rounded[i] = Round15Digits(values[i]);
        return;
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        rounded[i] = HasAtMost15Digits(values[i]) ? values[i] : Round15Digits(values[i]);
}
[[gnu::target("fma")]] void Round15LoopWithFma(std::span<const double> values, double* rounded) {
    Round15Loop(values, rounded);
}
void Round15LoopWithoutFma(std::span<const double> values, double* rounded) {
    Round15Loop(values, rounded);
}

} // namespace

void Round15Many(std::span<const double> values, double* rounded) {
    if (HasFmaInstruction())
        Round15LoopWithFma(values, rounded);
    else
        Round15LoopWithoutFma(values, rounded);
}

} // namespace vantrel
