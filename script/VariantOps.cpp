#include "script/VariantOps.h"

#include "script/Characters.h"
#include "script/NumberFormat.h"
#include "script/Power.h"
#include "script/ScriptError.h"

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>

namespace vantrel {

namespace {

Variant FromBool(bool b) {
    return Variant::Bool(b);
}

int Compare(const Variant& left, const Variant& right) {
    const bool leftText = left.type == VarType::String, rightText = right.type == VarType::String;
    if (!leftText && !rightText) {
        const double a = ToNumber(left), b = ToNumber(right);
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    if (leftText && rightText) {
        const int c = left.text.compare(right.text);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    // Empty compares as the empty string; a number is less than any string.
    if (left.type == VarType::Empty) return right.text.empty() ? 0 : -1;
    if (right.type == VarType::Empty) return left.text.empty() ? 0 : 1;
    return leftText ? 1 : -1;
}

int32_t Logical(BinaryOp op, int32_t a, int32_t b) {
    switch (op) {
    case BinaryOp::And:
        return a & b;
    case BinaryOp::Or:
        return a | b;
    case BinaryOp::Xor:
        return a ^ b;
    case BinaryOp::Eqv:
        return ~(a ^ b);
    default:
        return ~a | b; // Imp
    }
}

// A logical operator with a Null operand: the result is known where the other operand
// decides it alone (False And Null is False, True Or Null is True...), else Null.
Variant LogicalWithNull(BinaryOp op, const Variant& left, const Variant& right) {
    const bool leftNull = left.type == VarType::Null, rightNull = right.type == VarType::Null;
    if (leftNull && rightNull) return Variant::Null();
    const Variant& other = leftNull ? right : left;
    const int32_t value = ToInt32(other);
    const auto typed = [&other](int32_t v) {
        return other.type == VarType::Boolean ? Variant::Bool(v != 0) : Variant::Num(v);
    };
    switch (op) {
    case BinaryOp::And:
        return value == 0 ? typed(0) : Variant::Null();
    case BinaryOp::Or:
        return value == -1 ? typed(-1) : Variant::Null();
    case BinaryOp::Imp:
        if ((leftNull && value == -1) || (rightNull && value == 0)) return typed(-1);
        return Variant::Null();
    default:
        return Variant::Null();
    }
}

} // namespace

// strtod in the C locale, so that the point is the separator whatever the process's locale;
// unlike from_chars it also gives subnormal results and infinity on overflow.
double DecimalTextToDouble(std::string_view text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const std::string terminated(text);
    return strtod_l(terminated.c_str(), nullptr, cLocale);
}

bool ParseRadixDigits(std::string_view digits, int base, double& result) {
    if (digits.empty()) return false;
    uint64_t value = 0;
    for (char c : digits) {
        const int d = DigitValue(c);
        if (d >= base) return false;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
        if (value > 0xFFFFFFFFu) return false;
    }
    if (value <= 0xFFFFu)
        result = static_cast<int16_t>(static_cast<uint16_t>(value));
    else
        result = static_cast<int32_t>(static_cast<uint32_t>(value));
    return true;
}

std::size_t ScanDecimal(std::string_view text, std::size_t start) {
    std::size_t i = start, digits = 0;
    while (i < text.size() && IsDigit(text[i]))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i - start;
}

bool ParseNumericText(std::string_view text, double& result) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.size() >= 2 && text[0] == '&') {
        const char kind = static_cast<char>(text[1] | 0x20);
        if (kind == 'h' || kind == 'o')
            return ParseRadixDigits(text.substr(2), kind == 'h' ? 16 : 8, result);
        return false;
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || ScanDecimal(text, 0) != text.size()) return false;
    const double magnitude = DecimalTextToDouble(text);
    result = negative ? -magnitude : magnitude;
    return true;
}

double CheckedResult(double value) {
    if (!std::isfinite(value)) throw RuntimeError(6);
    return value;
}

double ToNumber(const Variant& value) {
    switch (value.type) {
    case VarType::Number:
        return value.number;
    case VarType::Boolean:
        return value.boolean ? -1.0 : 0.0;
    case VarType::Empty:
        return 0.0;
    case VarType::Null:
        throw RuntimeError(94);
    case VarType::String:
        break;
    }
    double result = 0.0;
    if (!ParseNumericText(value.text, result)) throw RuntimeError(13);
    return CheckedResult(result);
}

int32_t ToInt32(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) throw RuntimeError(6);
    return static_cast<int32_t>(rounded);
}

int32_t ToInt32(const Variant& value) {
    return ToInt32(ToNumber(value));
}

bool ToBoolean(const Variant& value) {
    if (value.type == VarType::String) {
        if (EqualsIgnoreCase(value.text, "True")) return true;
        if (EqualsIgnoreCase(value.text, "False")) return false;
    }
    if (value.type == VarType::Boolean) return value.boolean;
    return ToNumber(value) != 0.0;
}

std::string ToText(const Variant& value) {
    switch (value.type) {
    case VarType::Number:
        return FormatNumber15(value.number);
    case VarType::Boolean:
        return value.boolean ? "True" : "False";
    case VarType::String:
        return value.text;
    default:
        return {};
    }
}

bool IsNumeric(const Variant& value) {
    return value.type == VarType::Number || value.type == VarType::Boolean ||
           value.type == VarType::Empty;
}

double Arithmetic(BinaryOp op, double a, double b) {
    switch (op) {
    case BinaryOp::Add:
        return CheckedResult(a + b);
    case BinaryOp::Sub:
        return CheckedResult(a - b);
    case BinaryOp::Mul:
        return CheckedResult(a * b);
    case BinaryOp::Div:
        if (b == 0.0) throw RuntimeError(a == 0.0 ? 6 : 11);
        return CheckedResult(a / b);
    case BinaryOp::IntDiv:
    case BinaryOp::Mod: {
        const int32_t x = ToInt32(a), y = ToInt32(b);
        if (y == 0) throw RuntimeError(11);
        if (y == -1) { // INT32_MIN / -1 is the one quotient outside the range
            if (op == BinaryOp::Mod) return 0.0;
            if (x == INT32_MIN) throw RuntimeError(6);
            return -x;
        }
        return op == BinaryOp::Mod ? x % y : x / y;
    }
    case BinaryOp::Pow:
        if (a < 0.0 && b != std::trunc(b)) throw RuntimeError(5);
        return CheckedResult(Power(a, b));
    default: {
        const int32_t x = ToInt32(a), y = ToInt32(b);
        return Logical(op, x, y);
    }
    }
}

Variant Apply(BinaryOp op, const Variant& left, const Variant& right) {
    const bool anyNull = left.type == VarType::Null || right.type == VarType::Null;
    switch (op) {
    case BinaryOp::Concat:
        if (left.type == VarType::Null && right.type == VarType::Null) return Variant::Null();
        return Variant::Str(ToText(left) + ToText(right));
    case BinaryOp::And:
    case BinaryOp::Or:
    case BinaryOp::Xor:
    case BinaryOp::Eqv:
    case BinaryOp::Imp:
        if (anyNull) return LogicalWithNull(op, left, right);
        if (left.type == VarType::Boolean && right.type == VarType::Boolean)
            return FromBool(Logical(op, left.boolean ? -1 : 0, right.boolean ? -1 : 0) != 0);
        return Variant::Num(Logical(op, ToInt32(left), ToInt32(right)));
    default:
        break;
    }
    if (anyNull) return Variant::Null();
    switch (op) {
    case BinaryOp::Eq:
        return FromBool(Compare(left, right) == 0);
    case BinaryOp::Ne:
        return FromBool(Compare(left, right) != 0);
    case BinaryOp::Lt:
        return FromBool(Compare(left, right) < 0);
    case BinaryOp::Gt:
        return FromBool(Compare(left, right) > 0);
    case BinaryOp::Le:
        return FromBool(Compare(left, right) <= 0);
    case BinaryOp::Ge:
        return FromBool(Compare(left, right) >= 0);
    case BinaryOp::Add:
        if (left.type == VarType::String && right.type == VarType::String)
            return Variant::Str(left.text + right.text);
        if (left.type == VarType::Empty && right.type == VarType::String) return right;
        if (right.type == VarType::Empty && left.type == VarType::String) return left;
        break;
    default:
        break;
    }
    return Variant::Num(Arithmetic(op, ToNumber(left), ToNumber(right)));
}

Variant Apply(UnaryOp op, const Variant& operand) {
    if (operand.type == VarType::Null) return Variant::Null();
    switch (op) {
    case UnaryOp::Neg:
        return Variant::Num(-ToNumber(operand));
    case UnaryOp::Plus:
        return operand;
    case UnaryOp::Not:
        if (operand.type == VarType::Boolean) return Variant::Bool(!operand.boolean);
        return Variant::Num(~ToInt32(operand));
    }
    return operand;
}

} // namespace vantrel
