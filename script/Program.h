// A compiled statement or expression: a compact stack program whose names are already
// resolved to storage slots of the engine.
#pragma once

#include "script/Variant.h"
#include "script/VariantOps.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum class OpCode : uint8_t {
    PushNumber,  // number
    PushLiteral, // literals[index]
    PushVar,     // globals[index]
    PushStorage, // *storages[index], a plain-double property
    PushMember,  // members[index].object->GetProperty
    Binary,      // binary op: left on the stack, right as given by the operand
    Unary,       // unary op on the top of the stack
    CallBuiltin, // builtin index with count arguments on the stack
    CallMember,  // members[index] function with one argument on the stack
    StoreVar,    // pops into globals[index]
    StoreStorage,
    StoreMember,
    Raise, // run-time error number index, after the operands have been evaluated
};

// Where the right operand of a Binary instruction comes from: fused loads save a push.
enum class Operand : uint8_t { Stack, Number, Var, Storage };

struct Instruction {
    OpCode code;
    Operand operand = Operand::Stack;
    uint8_t op = 0;    // BinaryOp or UnaryOp
    uint8_t count = 0; // arguments of a call
    int32_t index = 0;
    double number = 0.0;
};

struct Program {
    std::string text;
    int32_t errorNumber = 0; // a compile error, raised whenever the program is run
    int32_t errorColumn = 0;
    std::vector<Instruction> code;
    std::vector<int32_t> columns; // the source column of each instruction, for run-time errors
    std::vector<Variant> literals;
    std::size_t stackSize = 0;
    bool numeric = false;           // runs on plain doubles while its values are plain numbers
    std::vector<int32_t> variables; // the global variables it reads, each once
};

} // namespace vantrel
