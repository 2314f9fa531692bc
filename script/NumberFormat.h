// How the language writes a double as text, and the exact rounding that text implies.
#pragma once

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
double Round15(double value);

} // namespace vantrel
