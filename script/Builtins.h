// The language's built-in functions (Abs ... CBool, Rnd), each computed with the C library but
// Rnd, which takes the next number of the engine's random sequence.
#pragma once

#include "script/RandomSequence.h"
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
    Rnd,
    Count
};
} // namespace builtin

// The index of a built-in function by name (case-insensitive), -1 when there is none.
int FindBuiltin(std::string_view name);
// Whether the function accepts that many arguments (Round takes one or two, Rnd none or one,
// the others one).
bool BuiltinAccepts(int builtin, int count);
// Calls a function on its arguments; the result replaces args[0] (the place of the first
// argument, also without any).
void CallBuiltin(int builtin, Variant* args, int count, RandomSequence& random);
// Whether the function gives a plain number for plain-number arguments and nothing else (all but
// CBool and Rnd, whose sequence moves on).
bool BuiltinIsNumeric(int builtin);
// The function on plain-number arguments, exactly as CallBuiltin computes it.
double NumberBuiltin(int builtin, const double* args, int count);

} // namespace vantrel
