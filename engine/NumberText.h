// How the program reads numbers from texts and writes them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// The leading-number rule: blanks, tabs and line feeds are ignored wherever they stand; then the
// longest prefix that forms a number (sign, digits with at most one ".", exponent with E or D,
// or &H / &O whole numbers) is read; 0 when the text does not begin with a number.
double LeadingNumber(std::string_view text);
// A double rounded to the nearest whole number, a half going to the even neighbour.
// Returns false when the result lies outside the 32-bit signed range.
bool RoundToInt32(double value, int32_t& result);

// The general number format: at most 15 significant digits, no trailing zeros, no leading
// blank, "." as decimal separator.
std::string GeneralNumber(double value);
// A variable's value as the assignment statement writes it: a leading blank when not
// negative (the minus sign takes its place otherwise).
std::string AssignmentNumber(double value);
// A number item of the file and the report: AssignmentNumber followed by one blank.
std::string NumberItem(double value);

} // namespace vantrel
