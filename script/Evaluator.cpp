#include "script/Evaluator.h"

#include "script/Builtins.h"
#include "script/ScriptError.h"
#include "script/VariantOps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

namespace vantrel {

namespace {

constexpr int32_t OutOfMemory = 7;

bool IsArithmetic(BinaryOp op) {
    switch (op) {
    case BinaryOp::Add:
    case BinaryOp::Sub:
    case BinaryOp::Mul:
    case BinaryOp::Div:
    case BinaryOp::IntDiv:
    case BinaryOp::Mod:
    case BinaryOp::Pow:
        return true;
    default:
        return false;
    }
}

// The four common operations inline; the rest through the shared arithmetic.
inline double Calculate(BinaryOp op, double a, double b) {
    double r;
    switch (op) {
    case BinaryOp::Add:
        r = a + b;
        break;
    case BinaryOp::Sub:
        r = a - b;
        break;
    case BinaryOp::Mul:
        r = a * b;
        break;
    case BinaryOp::Div:
        if (b == 0.0) return Arithmetic(op, a, b);
        r = a / b;
        break;
    default:
        return Arithmetic(op, a, b);
    }
    if (!std::isfinite(r)) [[unlikely]]
        throw RuntimeError(6);
    return r;
}

int32_t ColumnAt(const Program& program, std::size_t pc) {
    return pc < program.columns.size() ? program.columns[pc] : 0;
}

} // namespace

bool IsNumericProgram(const Program& program) {
    if (program.errorNumber != 0) return false;
    for (const Instruction& in : program.code) {
        switch (in.code) {
        case OpCode::PushNumber:
        case OpCode::PushVar:
        case OpCode::PushStorage:
        case OpCode::PushMember:
        case OpCode::CallMember:
            break;
        case OpCode::Binary:
            if (!IsArithmetic(static_cast<BinaryOp>(in.op))) return false;
            break;
        case OpCode::Unary:
            if (static_cast<UnaryOp>(in.op) == UnaryOp::Not) return false;
            break;
        case OpCode::CallBuiltin:
            if (!BuiltinIsNumeric(in.index)) return false;
            break;
        default:
            return false;
        }
    }
    return true;
}

void PrepareNumeric(Program& program) {
    program.numeric = IsNumericProgram(program);
    program.variables.clear();
    for (const Instruction& in : program.code)
        if (in.code == OpCode::PushVar || (in.code == OpCode::Binary && in.operand == Operand::Var))
            if (std::find(program.variables.begin(), program.variables.end(), in.index) ==
                program.variables.end())
                program.variables.push_back(in.index);
}

// The top of the stack lives in a register; stack[] holds the values below it (and, at the
// bottom, the unused value that the first push saves).
bool RunNumeric(const Program& program, const Environment& names, bool checkVariables,
                double& result) {
    std::array<double, 64> local;
    std::vector<double> large;
    double* stack = local.data();
    if (program.stackSize > local.size()) {
        large.resize(program.stackSize);
        stack = large.data();
    }
    const auto global = [&names](int32_t index) -> const Variant& {
        return names.globals[static_cast<std::size_t>(index)];
    };
    // The variables are checked once, so that their loads below need no check.
    if (checkVariables)
        for (const int32_t variable : program.variables)
            if (global(variable).type != VarType::Number) return false;
    double top = 0.0;
    std::size_t sp = 0, pc = 0;
    const std::size_t end = program.code.size();
    try {
        for (; pc < end; ++pc) {
            const Instruction& in = program.code[pc];
            switch (in.code) {
            case OpCode::PushNumber:
                stack[sp++] = top;
                top = in.number;
                break;
            case OpCode::PushVar:
                stack[sp++] = top;
                top = global(in.index).number;
                break;
            case OpCode::PushStorage:
                stack[sp++] = top;
                top = *names.storages[static_cast<std::size_t>(in.index)];
                break;
            case OpCode::PushMember: {
                stack[sp++] = top; // first, so that top is not kept across the call
                const MemberRef& member = names.properties[static_cast<std::size_t>(in.index)];
                const Variant value = member.object->GetProperty(member.index);
                if (value.type != VarType::Number) return false;
                top = value.number;
                break;
            }
            case OpCode::Binary: {
                double left = top, right;
                switch (in.operand) {
                case Operand::Stack:
                    right = top;
                    left = stack[--sp];
                    break;
                case Operand::Number:
                    right = in.number;
                    break;
                case Operand::Var:
                    right = global(in.index).number;
                    break;
                default:
                    right = *names.storages[static_cast<std::size_t>(in.index)];
                    break;
                }
                top = Calculate(static_cast<BinaryOp>(in.op), left, right);
                break;
            }
            case OpCode::Unary:
                if (static_cast<UnaryOp>(in.op) == UnaryOp::Neg) top = -top;
                break;
            case OpCode::CallBuiltin: {
                // One argument, or two (Round); the last is the top.
                double args[2] = {top, top};
                if (in.count == 2) args[0] = stack[--sp];
                top = NumberBuiltin(in.index, args, in.count);
                break;
            }
            case OpCode::CallMember: {
                const MemberRef& function = names.functions[static_cast<std::size_t>(in.index)];
                const Variant value =
                    function.object->CallFunction(function.index, Variant::Num(top));
                if (value.type != VarType::Number) return false;
                top = value.number;
                break;
            }
            default:
                return false;
            }
        }
    } catch (const RuntimeError& error) {
        throw ProgramError{error.Number, ColumnAt(program, pc)};
    }
    result = top;
    return true;
}

Variant Run(const Program& program, Environment& names, std::vector<Variant>& stack) {
    if (program.errorNumber != 0) throw ProgramError{program.errorNumber, program.errorColumn};
    if (stack.size() < program.stackSize) stack.resize(program.stackSize);
    std::size_t sp = 0, pc = 0;
    const std::size_t end = program.code.size();
    const auto property = [&names](int32_t index) -> MemberRef& {
        return names.properties[static_cast<std::size_t>(index)];
    };
    try {
        for (; pc < end; ++pc) {
            const Instruction& in = program.code[pc];
            switch (in.code) {
            case OpCode::PushNumber:
                stack[sp++] = Variant::Num(in.number);
                break;
            case OpCode::PushLiteral:
                stack[sp++] = program.literals[static_cast<std::size_t>(in.index)];
                break;
            case OpCode::PushVar:
                stack[sp++] = names.globals[static_cast<std::size_t>(in.index)];
                break;
            case OpCode::PushStorage:
                stack[sp++] = Variant::Num(*names.storages[static_cast<std::size_t>(in.index)]);
                break;
            case OpCode::PushMember: {
                const MemberRef& member = property(in.index);
                stack[sp++] = member.object->GetProperty(member.index);
                break;
            }
            case OpCode::Binary: {
                Variant right;
                switch (in.operand) {
                case Operand::Stack:
                    right = std::move(stack[--sp]);
                    break;
                case Operand::Number:
                    right = Variant::Num(in.number);
                    break;
                case Operand::Var:
                    right = names.globals[static_cast<std::size_t>(in.index)];
                    break;
                default:
                    right = Variant::Num(*names.storages[static_cast<std::size_t>(in.index)]);
                    break;
                }
                stack[sp - 1] = Apply(static_cast<BinaryOp>(in.op), stack[sp - 1], right);
                break;
            }
            case OpCode::Unary:
                stack[sp - 1] = Apply(static_cast<UnaryOp>(in.op), stack[sp - 1]);
                break;
            case OpCode::CallBuiltin:
                sp -= in.count;
                CallBuiltin(in.index, &stack[sp], in.count, names.random);
                ++sp;
                break;
            case OpCode::CallMember: {
                const MemberRef& function = names.functions[static_cast<std::size_t>(in.index)];
                stack[sp - 1] = function.object->CallFunction(function.index, stack[sp - 1]);
                break;
            }
            case OpCode::StoreVar:
                names.globals[static_cast<std::size_t>(in.index)] = std::move(stack[--sp]);
                break;
            case OpCode::StoreStorage:
            case OpCode::StoreMember: {
                const MemberRef& member = property(in.index);
                member.object->SetProperty(member.index, stack[--sp]);
                break;
            }
            case OpCode::Raise:
                throw RuntimeError(in.index);
            }
        }
    } catch (const RuntimeError& error) {
        throw ProgramError{error.Number, ColumnAt(program, pc)};
    } catch (const std::bad_alloc&) {
        throw ProgramError{OutOfMemory, ColumnAt(program, pc)};
    }
    return sp > 0 ? std::move(stack[sp - 1]) : Variant{};
}

} // namespace vantrel
