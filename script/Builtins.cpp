#include "script/Builtins.h"

#include "script/Scanner.h"
#include "script/ScriptError.h"
#include "script/VariantOps.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace vantrel {

namespace {

using namespace builtin;

constexpr std::array<std::string_view, Count> Names = {
    "Abs", "Atn", "Cos",   "Exp",  "Fix",  "Int",  "Log",   "Sgn", "Sin",
    "Sqr", "Tan", "Round", "CDbl", "CInt", "CLng", "CBool", "Rnd"};

// Round half to even at a number of decimals, on the exact binary value.
double RoundDecimals(double value, int32_t decimals) {
    if (decimals < 0) throw RuntimeError(5);
    if (decimals == 0) return std::nearbyint(value);
    if (decimals > 300) return value;
    std::array<char, 400> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                       std::chars_format::fixed, decimals);
    if (written.ec != std::errc()) return value;
    double result = value;
    std::from_chars(buffer.data(), written.ptr, result);
    return result;
}

double NumberFunction(int builtin, double x) {
    switch (builtin) {
    case Abs:
        return std::fabs(x);
    case Atn:
        return std::atan(x);
    case Cos:
        return std::cos(x);
    case Exp:
        return CheckedResult(std::exp(x));
    case Fix:
        return std::trunc(x);
    case Int:
        return std::floor(x);
    case Log:
        if (x <= 0.0) throw RuntimeError(5);
        return std::log(x);
    case Sgn:
        return x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0);
    case Sin:
        return std::sin(x);
    case Sqr:
        if (x < 0.0) throw RuntimeError(5);
        return std::sqrt(x);
    case Tan:
        return CheckedResult(std::tan(x));
    case Round:
        return std::nearbyint(x);
    case CInt: {
        const double rounded = std::nearbyint(x);
        if (!(rounded >= -32768.0 && rounded <= 32767.0)) throw RuntimeError(6);
        return rounded;
    }
    case CLng:
        return ToInt32(x);
    default:
        return x; // CDbl
    }
}

} // namespace

int FindBuiltin(std::string_view name) {
    for (std::size_t i = 0; i < Names.size(); ++i)
        if (EqualsIgnoreCase(Names[i], name)) return static_cast<int>(i);
    return -1;
}

bool BuiltinAccepts(int builtin, int count) {
    return count == 1 || (builtin == Round && count == 2) || (builtin == Rnd && count == 0);
}

void CallBuiltin(int builtin, Variant* args, int count, RandomSequence& random) {
    Variant& value = args[0]; // where the result goes, also when there is no argument
    if (builtin == Rnd) {
        const double argument = count == 1 ? ToNumber(value) : 1.0;
        if (std::fabs(argument) > std::numeric_limits<float>::max() && std::isfinite(argument))
            throw RuntimeError(6); // no Single
        value = Variant::Num(random.Next(static_cast<float>(argument)));
        return;
    }
    // These pass Null through; the others find it an invalid use.
    const bool nullPasses = builtin == Abs || builtin == Fix || builtin == Int || builtin == Round;
    if (value.type == VarType::Null && nullPasses) return;
    if (builtin == CBool) {
        value = Variant::Bool(ToBoolean(value));
        return;
    }
    const double numbers[2] = {ToNumber(value), count == 2 ? ToNumber(args[1]) : 0.0};
    value = Variant::Num(NumberBuiltin(builtin, numbers, count));
}

bool BuiltinIsNumeric(int builtin) {
    return builtin != CBool && builtin != Rnd;
}

double NumberBuiltin(int builtin, const double* args, int count) {
    if (builtin == Round && count == 2) return RoundDecimals(args[0], ToInt32(args[1]));
    return NumberFunction(builtin, args[0]);
}

} // namespace vantrel
