// The functions that machine code calls, through tables of its own, so that GCC knows nothing of
// them and the code calls exactly the functions that the evaluator calls.
#pragma once

#include "script/jit/NumericCode.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace vantrel::jit {

using Unary = double (*)(double);
using Binary = double (*)(double, double);

// Every function the code may call, at its place in the shared object's tables "unary_callees"
// and "binary_callees", which the loader fills.
extern const std::array<Unary, 12> UnaryCallees;
extern const std::array<Binary, 1> BinaryCallees;

// The C library's function of a built-in function of one argument; nullptr for the others.
Unary LibraryFunction(int id);

template <class Function, std::size_t N>
int PlaceOf(Function f, const std::array<Function, N>& table) {
    return static_cast<int>(std::find(table.begin(), table.end(), f) - table.begin());
}

} // namespace vantrel::jit
