// How the language writes a double as text, and the exact rounding that text implies.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <span>
#include <string>

namespace vantrel {

// The text of a double with at most 15 significant digits, as the language writes numbers:
// as C's %.15g with "E" for "e": no trailing zeros, "." as separator, "1.5E-07", "1E+20".
std::string FormatNumber15(double value);
// A value as an assignment statement writes it: FormatNumber15 after a blank, or after the
// minus sign for a negative value (" 0.5", "-0.5", " 0" for -0).
std::string AssignmentText(double value);
// The double that FormatNumber15(value) reads back as: value rounded to 15 significant
// digits, computed without text in the common case.
double RoundTo15Digits(double value);

// Whether the value has at most 15 significant decimal digits, so that its 15-digit text reads
// back as the value itself. A double is m * 2^-k with m odd; for k > 0 that is m * 5^k / 10^k,
// whose decimal digits are those of the whole number m * 5^k; for k <= 0 it is a whole number.
// Either has at most 15 digits when it is below 10^15. The test is exact integer arithmetic.
inline bool HasAtMost15Digits(double value) {
    constexpr uint64_t Limit = 1000000000000000; // 10^15
    // (10^15 - 1) / 5^k rounded down: m * 5^k < 10^15 exactly when m is at most this.
    static constexpr auto MaxMantissa = [] {
        std::array<uint64_t, 22> max{};
        uint64_t power = 1;
        for (auto& m : max) {
            m = (Limit - 1) / power;
            power *= 5;
        }
        return max;
    }();
    const auto bits = std::bit_cast<uint64_t>(value);
    const auto biased = static_cast<int>((bits >> 52) & 0x7ff);
    if (biased == 0 || biased == 0x7ff) return false; // zero, subnormal, infinite or NaN
    uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    const int zeros = std::countr_zero(mantissa);
    mantissa >>= zeros;
    const int k = 1075 - biased - zeros; // value = mantissa * 2^-k
    if (k <= 0) return k > -50 && mantissa <= (Limit - 1) >> -k;
    return k < static_cast<int>(MaxMantissa.size()) &&
           mantissa <= MaxMantissa[static_cast<std::size_t>(k)];
}

// RoundTo15Digits, at once where the value is its own 15-digit text, and for either zero, whose
// text "0" has no sign.
inline double Round15(double value) {
    if (value == 0.0) return 0.0;
    return HasAtMost15Digits(value) ? value : RoundTo15Digits(value);
}

// Round15 of each value, in one loop whose roundings overlap in the processor.
void Round15Many(std::span<const double> values, double* rounded);

} // namespace vantrel
