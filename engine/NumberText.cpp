#include "engine/NumberText.h"

#include "script/Characters.h"
#include "script/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace vantrel {

namespace {

// The digits after &H or &O, as far as they belong to the base.
double WholeNumberInBase(std::string_view digits, int base) {
    double value = 0.0;
    for (char c : digits) {
        const int digit = DigitValue(c);
        if (digit >= base) break;
        value = value * base + digit;
    }
    return value;
}

// The decimal number at the start of text (no blanks in it); 0 when there is none.
double LeadingDecimal(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';

    std::string number = negative ? "-" : "";
    int wholeDigits = 0;  // significant digits in front of the point
    int leadingZeros = 0; // zeros right after the point while no digit has been significant
    bool anyDigit = false;
    bool significant = false;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        anyDigit = true;
        significant = significant || text[pos] != '0';
        if (significant) ++wholeDigits;
        number += text[pos];
    }
    if (pos < text.size() && text[pos] == '.') {
        number += text[pos++];
        for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
            anyDigit = true;
            if (!significant && text[pos] == '0') ++leadingZeros;
            significant = significant || text[pos] != '0';
            number += text[pos];
        }
    }
    if (!anyDigit) return 0.0;

    long long exponent = 0;
    if (pos < text.size() && std::string_view("EeDd").find(text[pos]) != std::string_view::npos) {
        std::size_t end = pos + 1;
        bool negativeExponent = false;
        if (end < text.size() && (text[end] == '+' || text[end] == '-'))
            negativeExponent = text[end++] == '-';
        if (end < text.size() && IsDigit(text[end])) {
            for (; end < text.size() && IsDigit(text[end]); ++end)
                exponent = std::min(exponent * 10 + (text[end] - '0'), 1000000000LL);
            if (negativeExponent) exponent = -exponent;
            number += 'e' + std::to_string(exponent);
        }
    }

    double value = 0.0;
    const auto [ptr, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Beyond the range of a double: the largest double when too large, 0 when too small.
        const long long magnitude = (wholeDigits > 0 ? wholeDigits : -leadingZeros) + exponent;
        value = magnitude > 0 ? std::numeric_limits<double>::max() : 0.0;
        if (negative) value = -value;
    }
    return value;
}

} // namespace

double LeadingNumber(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n') compact += c;

    if (compact.size() >= 2 && compact[0] == '&') {
        if (compact[1] == 'H' || compact[1] == 'h')
            return WholeNumberInBase(std::string_view(compact).substr(2), 16);
        if (compact[1] == 'O' || compact[1] == 'o')
            return WholeNumberInBase(std::string_view(compact).substr(2), 8);
    }
    return LeadingDecimal(compact);
}

bool RoundToInt32(double value, int32_t& result) {
    if (!std::isfinite(value)) return false;
    double whole = std::floor(value);
    const double fraction = value - whole; // exact
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max())
        return false;
    result = static_cast<int32_t>(whole);
    return true;
}

std::string GeneralNumber(double value) {
    return FormatNumber15(value);
}

std::string AssignmentNumber(double value) {
    std::string text = value < 0 ? "" : " ";
    return text.append(GeneralNumber(value));
}

std::string NumberItem(double value) {
    return AssignmentNumber(value) + " ";
}

} // namespace vantrel
