// The third stage: runs a compiled program against the engine's names.
#pragma once

#include "script/Environment.h"
#include "script/Program.h"

#include <cstdint>
#include <vector>

namespace vantrel {

// A run-time error of a program, with the source column of the instruction that raised it.
struct ProgramError {
    int32_t number;
    int32_t column;
};

// Whether every instruction of the program gives a plain number when its operands are plain
// numbers, so that RunNumeric can run it.
bool IsNumericProgram(const Program& program);
// Sets the program's numeric flag and the list of the variables it reads.
void PrepareNumeric(Program& program);

// Runs a numeric program on doubles without allocating. Returns false, with nothing changed
// that Run would not change the same way, as soon as a value is not a plain number; Run then
// gives the answer. checkVariables false skips the check that the variables it reads hold plain
// numbers, for a caller that knows they do. Throws ProgramError.
bool RunNumeric(const Program& program, const Environment& names, bool checkVariables,
                double& result);

// Runs any program on the language's values; stack is scratch space kept between runs.
// Throws ProgramError. A statement's result is Empty.
Variant Run(const Program& program, Environment& names, std::vector<Variant>& stack);

} // namespace vantrel
