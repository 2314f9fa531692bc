// Numeric programs compiled to machine code. The code computes what the evaluator's numeric route
// computes, operation by operation (no contraction into FMA, the C library's functions called as
// the evaluator calls them), and gives up wherever that route would not simply give a number: a
// variable that holds no plain number, any operation that would raise an error. The caller then
// runs the program on the evaluator, which gives the answer or raises the error with its column,
// so that the interpreter stays the one reference for everything but the plain path.
#pragma once

#include "script/Program.h"
#include "script/Variant.h"
#include "script/jit/CodeCache.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vantrel::jit {

// The program's value from the global variables and the properties' doubles (an environment's
// globals and storages), true; or false where the evaluator must run it. The code holds no
// address of an environment, so that every environment whose names resolve to the same indices
// runs the same code.
using NumericFunction = bool (*)(const Variant* globals, double* const* storages, double* result);

// The variable of a program's batches: a global variable or a property's double; None where the
// program has no batch function.
struct BatchVariable {
    enum Kind : uint8_t { None, Global, Storage } kind = None;
    int32_t index = 0;
    bool operator==(const BatchVariable&) const = default;
};

// The program's values at count points, the batch variable holding values[i] (a plain number) at
// the i-th and every other name what the environment holds, into results (not the same room): the
// number of points done, which stops at the first point where the evaluator must run the program;
// results beyond those points hold nothing to use. What does not depend on the batch variable is
// computed once. squares (KeptSquaresSize(kept, count) doubles, not numbers at first, where kept
// is the code's KeptSquaresOf) keeps, from one call on the same points to the next, pow's squares
// that the moderate test of squares cannot give: for the k-th of the first kept squares at the
// point, its base at squares[2 * (k * count + i)] and pow's square of it right after. A base and
// its square are always written together, side by side, so that room used before at another
// count or by another function holds only bases at even places, each with pow's square of it:
// any room of the size serves, kept or not.
using ManyFunction = std::size_t (*)(const Variant* globals, double* const* storages,
                                     const double* values, double* results, std::size_t count,
                                     double* squares);
inline constexpr std::size_t KeptSquares = 4; // at most, at a point
inline constexpr std::size_t KeptSquaresSize(std::size_t kept, std::size_t count) {
    return 2 * kept * count;
}

class NumericCode {
public:
    virtual ~NumericCode() = default;
    // The function of the program at that place in the compiled list; nullptr for one that was
    // not compilable.
    virtual NumericFunction Function(std::size_t program) const = 0;
    // Its batch function; nullptr where it has none.
    virtual ManyFunction Many(std::size_t program) const = 0;
    // How many squares its batch function keeps at a point (ManyFunction); 0 where it has none.
    virtual std::size_t KeptSquaresOf(std::size_t program) const = 0;
};

// What the machine code of a program depends on: its instructions.
std::string InstructionKey(const Program& program);

// Whether machine code can be made for the program on this build: a numeric program of the four
// operations, ^, negation and the numeric built-in functions, on numbers, variables and
// plain-double properties (the added object's other members stay with the evaluator).
bool Compilable(const Program& program);

// Machine code for the compilable ones of the programs, made in one run of the compiler, each
// with a batch function over its batch variable where batches gives one; nullptr when none is
// compilable or the compiler fails. The code cache is looked in first and keeps what is made.
std::unique_ptr<NumericCode> Compile(std::span<const Program* const> programs,
                                     std::span<const BatchVariable> batches = {},
                                     const CodeCache& cache = CodeCache::ForThisProcess());
// The machine code that the code cache holds for them; nullptr where it holds none.
std::unique_ptr<NumericCode> LoadCompiled(std::span<const Program* const> programs,
                                          std::span<const BatchVariable> batches = {},
                                          const CodeCache& cache = CodeCache::ForThisProcess());

} // namespace vantrel::jit
