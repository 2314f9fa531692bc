// The language's built-in functions (Abs ... CBool), each computed with the C library.
#pragma once

#include "script/Variant.h"

#include <string_view>

namespace vantrel {

// The built-in functions, by the index that FindBuiltin gives.
namespace builtin {
enum Id {
    Abs,
    Atn,
    Cos,
    Exp,
    Fix,
    Int,
    Log,
    Sgn,
    Sin,
    Sqr,
    Tan,
    Round,
    CDbl,
    CInt,
    CLng,
    CBool,
    Count
};
} // namespace builtin

// The index of a built-in function by name (case-insensitive), -1 when there is none.
int FindBuiltin(std::string_view name);
// Whether the function accepts that many arguments (Round takes one or two, the others one).
bool BuiltinAccepts(int builtin, int count);
// Calls a function on its arguments; the result replaces args[0].
void CallBuiltin(int builtin, Variant* args, int count);
// Whether the function gives a plain number for plain-number arguments (all but CBool).
bool BuiltinIsNumeric(int builtin);
// The function on plain-number arguments, exactly as CallBuiltin computes it.
double NumberBuiltin(int builtin, const double* args, int count);

} // namespace vantrel
