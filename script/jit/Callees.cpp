// Which numeric programs machine code is made for, and the functions that code calls.
#include "script/jit/Callees.h"

#include "script/Builtins.h"
#include "script/Power.h"

#include <math.h>

namespace vantrel::jit {

const std::array<Unary, 12> UnaryCallees = {
    ::fabs, ::atan, ::cos,  ::exp, ::trunc,     ::floor,
    ::log,  ::sin,  ::sqrt, ::tan, ::nearbyint, SquaredOnThisProcessor()};
const std::array<Binary, 1> BinaryCallees = {static_cast<Binary>(Power)};

Unary LibraryFunction(int id) {
    switch (id) {
    case builtin::Abs:
        return ::fabs;
    case builtin::Atn:
        return ::atan;
    case builtin::Cos:
        return ::cos;
    case builtin::Exp:
        return ::exp;
    case builtin::Fix:
        return ::trunc;
    case builtin::Int:
        return ::floor;
    case builtin::Log:
        return ::log;
    case builtin::Sin:
        return ::sin;
    case builtin::Sqr:
        return ::sqrt;
    case builtin::Tan:
        return ::tan;
    case builtin::Round:
        return ::nearbyint;
    default:
        return nullptr;
    }
}

namespace {

bool CompilableBuiltin(const Instruction& in) {
    return in.count == 1 && (LibraryFunction(in.index) != nullptr || in.index == builtin::Sgn ||
                             in.index == builtin::CDbl);
}

bool CompilableBinary(BinaryOp op) {
    return op == BinaryOp::Add || op == BinaryOp::Sub || op == BinaryOp::Mul ||
           op == BinaryOp::Div || op == BinaryOp::Pow;
}

} // namespace

bool Compilable(const Program& program) {
    if (!program.numeric || program.code.empty()) return false;
    for (const Instruction& in : program.code) {
        switch (in.code) {
        case OpCode::PushNumber:
        case OpCode::PushVar:
        case OpCode::PushStorage:
        case OpCode::Unary:
            break;
        case OpCode::Binary:
            if (!CompilableBinary(static_cast<BinaryOp>(in.op))) return false;
            break;
        case OpCode::CallBuiltin:
            if (!CompilableBuiltin(in)) return false;
            break;
        default:
            return false;
        }
    }
    return true;
}

} // namespace vantrel::jit
