// Conversions between the language's values and the operators that work on them. These are
// the general (slow) routes; the evaluator handles two plain numbers inline.
#pragma once

#include "script/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Reads a whole text as a number the way the language converts strings: blanks around it,
// an optional sign, digits with one point and an exponent, or &H / &O whole numbers.
bool ParseNumericText(std::string_view text, double& result);
// The length of the longest decimal number at text[start]: digits with one point, an optional
// exponent E[+-]digits; 0 when there is none.
std::size_t ScanDecimal(std::string_view text, std::size_t start);
// The double of an unsigned decimal text that ScanDecimal accepted (correctly rounded;
// 0 on underflow, infinity on overflow).
double DecimalTextToDouble(std::string_view text);
// A whole-number literal's digits in base 16 or 8 as the language reads &H / &O: up to
// 16 bits (4 hex digits) read as a 16-bit signed number, up to 32 bits as 32-bit signed.
bool ParseRadixDigits(std::string_view digits, int base, double& result);

// A finite result, or RuntimeError 6 (Overflow) for an infinite or undefined one.
double CheckedResult(double value);
// Conversions of any value; Null raises 94, a non-numeric string 13.
double ToNumber(const Variant& value);
// Rounded half to even; outside the 32-bit signed range raises 6.
int32_t ToInt32(double value);
int32_t ToInt32(const Variant& value);
bool ToBoolean(const Variant& value);
// The text of a value in concatenation (Null and Empty give "").
std::string ToText(const Variant& value);
bool IsNumeric(const Variant& value); // Number, Boolean or Empty

enum class BinaryOp {
    Add,
    Sub,
    Mul,
    Div,
    IntDiv,
    Mod,
    Pow,
    Concat,
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    And,
    Or,
    Xor,
    Eqv,
    Imp
};
enum class UnaryOp { Neg, Plus, Not };

// The operators on general values; results follow the language's rules for Null, Empty,
// Boolean and String operands.
Variant Apply(BinaryOp op, const Variant& left, const Variant& right);
Variant Apply(UnaryOp op, const Variant& operand);
// The arithmetic on two plain numbers (with the language's errors), shared by both routes.
double Arithmetic(BinaryOp op, double left, double right);

} // namespace vantrel
