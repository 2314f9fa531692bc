// Numeric programs turned into machine code with GCC's libgccjit, written as a shared object. The
// stack program becomes straight-line code: each stack slot becomes the value that was pushed
// there, each result a local, and where an operation that the evaluator checks gives no finite
// value the code leaves through one exit that hands the program back to the evaluator. The code
// holds no address of the process that made it: the functions it calls are in tables that the
// loader fills. The batch functions' loops over their points are made in BatchFunction.cpp.
#pragma once

#include "script/jit/Callees.h"
#include "script/jit/CodeBuilder.h"

#include "script/Builtins.h"
#include "script/Power.h"
#include "script/Processor.h"
#include "script/VariantOps.h"

#include <math.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel::jit {

class CodeBuilder::Impl {
public:
    explicit Impl(const GccJit& library) : g_(library), c_(g_.context_acquire()) {
        g_.context_set_int_option(c_, GCC_JIT_INT_OPTION_OPTIMIZATION_LEVEL, 2);
        g_.context_add_command_line_option(c_, "-ffp-contract=off");
        // Batch functions' lanes become vector code even where the count is known only then.
        g_.context_add_command_line_option(c_, "-ftree-loop-vectorize");
        g_.context_add_command_line_option(c_, "-fvect-cost-model=dynamic");
        if (HasAvx2Instructions()) g_.context_add_command_line_option(c_, "-mavx2");
        if (HasAvx512Instructions()) // twice the lanes of each vector instruction
            for (const char* option :
                 {"-mavx512f", "-mavx512vl", "-mavx512dq", "-mprefer-vector-width=512"})
                g_.context_add_command_line_option(c_, option);
        if (HasFmaInstruction()) { // squares are then taken in the code itself
            g_.context_add_command_line_option(c_, "-mfma");
            fma_ = g_.context_get_builtin_function(c_, "__builtin_fma");
        }
        fabs_ = g_.context_get_builtin_function(c_, "__builtin_fabs");
        // The code calls only through the addresses it holds: linking it without the C
        // library's start files and libraries saves a third of a compile's time.
        g_.context_add_driver_option(c_, "-nostdlib");
        // A program without checks never hands back; a failure is the evaluator's to handle.
        g_.context_set_bool_allow_unreachable_blocks(c_, 1);
        expect_ = g_.context_get_builtin_function(c_, "__builtin_expect");
        g_.context_set_bool_print_errors_to_stderr(c_, 0);
        double_ = g_.context_get_type(c_, GCC_JIT_TYPE_DOUBLE);
        int_ = g_.context_get_type(c_, GCC_JIT_TYPE_INT);
        bool_ = g_.context_get_type(c_, GCC_JIT_TYPE_BOOL);
        doubles_ = g_.type_get_pointer(g_.type_get_const(double_));
        storages_ = g_.type_get_pointer(g_.type_get_const(g_.type_get_pointer(double_)));
        ints_ = g_.type_get_pointer(g_.type_get_const(int_));
        gcc_jit_type* doubleArgs[2] = {double_, double_};
        unary_ = g_.context_new_function_ptr_type(c_, nullptr, double_, 1, doubleArgs, 0);
        binary_ = g_.context_new_function_ptr_type(c_, nullptr, double_, 2, doubleArgs, 0);
        unaryTable_ = Table(unary_, UnaryCallees.size(), "unary_callees");
        binaryTable_ = Table(binary_, BinaryCallees.size(), "binary_callees");
    }
    ~Impl() { g_.context_release(c_); }
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // Adds the function of one compilable program, and its batch function over batch unless
    // that is None.
    void Add(const Program& program, const std::string& name, BatchVariable batch) {
        gcc_jit_param* params[3] = {
            g_.context_new_param(c_, nullptr, doubles_, "globals"),
            g_.context_new_param(c_, nullptr, storages_, "storages"),
            g_.context_new_param(c_, nullptr, g_.type_get_pointer(double_), "result")};
        Begin(params, bool_, name);
        handBack_ = g_.function_new_block(fn_, "hand_back");
        g_.block_end_with_return(handBack_, nullptr, g_.context_zero(c_, bool_));
        g_.block_add_assignment(block_, nullptr,
                                g_.rvalue_dereference(g_.param_as_rvalue(params[2]), nullptr),
                                EmitAt(program));
        g_.block_end_with_return(block_, nullptr, g_.context_one(c_, bool_));
        if (batch.kind != BatchVariable::None) AddMany(program, ManyName(name), batch);
    }

    // The whole of what the code depends on, for the loader to compare.
    void Carry(const std::string& dependencies) { Constant("code_key", dependencies); }
    // A global of the shared object that holds the bytes.
    void Constant(const std::string& name, std::string_view bytes) {
        gcc_jit_type* type = g_.context_new_array_type(
            c_, nullptr, g_.context_get_type(c_, GCC_JIT_TYPE_UNSIGNED_CHAR),
            static_cast<int>(bytes.size()));
        gcc_jit_lvalue* global =
            g_.context_new_global(c_, nullptr, GCC_JIT_GLOBAL_EXPORTED, type, name.c_str());
        g_.global_set_initializer(global, bytes.data(), bytes.size());
    }

    // The shared object, written to path; false where compiling failed.
    bool CompileTo(const std::string& path) {
        g_.context_compile_to_file(c_, GCC_JIT_OUTPUT_KIND_DYNAMIC_LIBRARY, path.c_str());
        return g_.context_get_first_error(c_) == nullptr;
    }

private:
    // Where a batch function's code goes: the blocks before its loop (what does not depend on
    // the batch variable, computed once) and its loop's body; each with where it hands back.
    struct Lane {
        gcc_jit_block* block = nullptr;
        gcc_jit_block* handBack = nullptr;
    };

    // A value of the stack. What a chain of +, -, * and squares (and negations) gives is checked
    // once, where the chain's value is used otherwise: each of these operations gives no finite
    // value where an operand is not finite, so the chain's value is finite exactly where every
    // step of it was, and the evaluator raises its error at the first step that was not.
    struct Value {
        gcc_jit_rvalue* rvalue = nullptr;
        bool unchecked = false;
        bool hoisted = false; // computed before a batch function's loop
    };

    void Begin(gcc_jit_param** params, gcc_jit_type* result, const std::string& name) {
        globals_ = g_.param_as_rvalue(params[0]);
        storagesParam_ = g_.param_as_rvalue(params[1]);
        fn_ = g_.context_new_function(c_, nullptr, GCC_JIT_FUNCTION_EXPORTED, result, name.c_str(),
                                      name.ends_with("_many") ? 6 : 3, params, 0);
        block_ = g_.function_new_block(fn_, "entry");
        variables_.clear();
    }

    // The batch function. Where the program calls no function at the point and there are enough
    // points, they are first computed in lanes: a loop without exits that the compiler makes into
    // vector code, where each check that would hand back marks the point's result as not a number
    // instead. A second loop then takes the marked points one by one, where the code may call
    // functions (a square that fails the moderate test) and hands back at the first point that the
    // evaluator must run. A few points go one by one at once: lanes would cost more than they save.
    // The squares that fail the moderate test are kept at their points (ManyFunction), for the
    // lanes of the next call on the same points: an inner level's points come again at every
    // point of the outer levels, and with them the same squares.
    void AddMany(const Program& program, const std::string& name, BatchVariable batch);
    // The lanes' loop, each result the value or, where a check failed, not a number; where none
    // failed, the function returns after it.
    void InLanes(const Program& program);
    // The loop that takes each point, or only those whose lanes are marked, one by one.
    void PointByPoint(const Program& program, bool marked);
    // In the marked points' loop: on to the next four points where none of them is marked.
    void SkipUnmarked(gcc_jit_block* head);
    // A loop over the points from the first: the code goes on in its body, and after it once Next
    // ends the body.
    gcc_jit_block* Loop(const char* name);
    void Next(gcc_jit_block* head);
    gcc_jit_lvalue* At(gcc_jit_rvalue* array);
    // The program's value, emitted where the code goes on; a batch function's at the point.
    gcc_jit_rvalue* EmitAt(const Program& program, gcc_jit_rvalue* point = nullptr) {
        stack_.clear();
        depends_.clear();
        squaresAtThePoint_ = 0;
        if (point) point_ = Local(point);
        for (const Instruction& in : program.code)
            Emit(in);
        return Checked(stack_.back());
    }
    // Whether the program calls a function (or the evaluator's power) with a value that depends
    // on the batch variable, which code in lanes cannot.
    bool CallsAtThePoint(const Program& program);

    bool IsBatchVariable(BatchVariable::Kind kind, int32_t index) const {
        return batch_.kind == kind && batch_.index == index;
    }

    // Emits in the blocks before a batch function's loop, where the value computed does not
    // depend on the batch variable; elsewhere where the code goes on.
    template <class Emitting> gcc_jit_rvalue* Hoisted(bool hoist, Emitting emit) {
        if (!hoist || batch_.kind == BatchVariable::None || inPre_) return emit();
        std::swap(block_, pre_.block);
        std::swap(handBack_, pre_.handBack);
        inPre_ = true;
        gcc_jit_rvalue* value = emit();
        inPre_ = false;
        std::swap(block_, pre_.block);
        std::swap(handBack_, pre_.handBack);
        return value;
    }

    gcc_jit_rvalue* Number(double value) {
        return g_.context_new_rvalue_from_double(c_, double_, value);
    }

    // Keeps a value in a local of its own, so that it is computed once, here.
    gcc_jit_rvalue* Local(gcc_jit_rvalue* value) {
        std::string name = "v";
        name += std::to_string(locals_++);
        gcc_jit_lvalue* local = g_.function_new_local(fn_, nullptr, double_, name.c_str());
        g_.block_add_assignment(block_, nullptr, local, value);
        return g_.lvalue_as_rvalue(local);
    }

    // Goes on only where the condition holds; otherwise the evaluator runs the program. In
    // lanes, the point's lane is marked instead.
    void Require(gcc_jit_rvalue* condition) {
        if (ok_ && !inPre_) {
            g_.block_add_assignment(block_, nullptr, ok_,
                                    g_.context_new_binary_op(c_, nullptr,
                                                             GCC_JIT_BINARY_OP_BITWISE_AND, bool_,
                                                             g_.lvalue_as_rvalue(ok_), condition));
            return;
        }
        gcc_jit_block* next = g_.function_new_block(fn_, nullptr);
        g_.block_end_with_conditional(block_, nullptr, Likely(condition), next, handBack_);
        block_ = next;
    }
    // The condition, said to hold nearly always: code that hands back is cold, and the loops it
    // leaves are hot enough to be made into vector code.
    gcc_jit_rvalue* Likely(gcc_jit_rvalue* condition) {
        gcc_jit_type* wide = g_.context_get_type(c_, GCC_JIT_TYPE_LONG);
        gcc_jit_rvalue* args[2] = {g_.context_new_cast(c_, nullptr, condition, wide),
                                   g_.context_one(c_, wide)};
        return g_.context_new_comparison(c_, nullptr, GCC_JIT_COMPARISON_NE,
                                         g_.context_new_call(c_, nullptr, expect_, 2, args),
                                         g_.context_zero(c_, wide));
    }

    // Goes on only where the value is finite: value - value is 0 for every finite value, NaN for
    // the others.
    void RequireFinite(gcc_jit_rvalue* value) { Require(IsFinite(value)); }
    gcc_jit_rvalue* IsFinite(gcc_jit_rvalue* value) {
        return g_.context_new_comparison(
            c_, nullptr, GCC_JIT_COMPARISON_EQ,
            g_.context_new_binary_op(c_, nullptr, GCC_JIT_BINARY_OP_MINUS, double_, value, value),
            Number(0.0));
    }
    gcc_jit_rvalue* Finite(gcc_jit_rvalue* value) {
        value = Local(value);
        RequireFinite(value);
        return value;
    }
    // The value, checked where it was computed if it is a chain's.
    gcc_jit_rvalue* Checked(const Value& value) {
        if (value.unchecked)
            Hoisted(value.hoisted, [&]() -> gcc_jit_rvalue* {
                RequireFinite(value.rvalue);
                return nullptr;
            });
        return value.rvalue;
    }
    // An operand of a chain: one computed before a batch function's loop is checked there, not
    // at every point.
    Value ChainOperand(const Value& value) {
        if (value.hoisted && !inPre_) return {Checked(value), false, true};
        return value;
    }
    Value Here(gcc_jit_rvalue* value, bool unchecked = false) { return {value, unchecked, inPre_}; }

    gcc_jit_rvalue* Compare(gcc_jit_rvalue* a, enum gcc_jit_comparison op, double b) {
        return g_.context_new_comparison(c_, nullptr, op, a, Number(b));
    }

    // A variable of the engine: its value, once it has been seen to be a plain number.
    gcc_jit_rvalue* Variable(int32_t index) {
        if (IsBatchVariable(BatchVariable::Global, index)) return point_;
        return Hoisted(true, [&] { return GlobalVariable(index); });
    }
    gcc_jit_rvalue* GlobalVariable(int32_t index) {
        for (const auto& [seen, value] : variables_)
            if (seen == index) return value;
        static_assert(sizeof(Variant) % sizeof(double) == 0);
        const Variant probe;
        const auto base = reinterpret_cast<const char*>(&probe);
        const auto typeAt =
            static_cast<std::size_t>(reinterpret_cast<const char*>(&probe.type) - base);
        const auto numberAt =
            static_cast<std::size_t>(reinterpret_cast<const char*>(&probe.number) - base);
        const auto slot = static_cast<std::size_t>(index) * sizeof(Variant);
        gcc_jit_rvalue* ints = g_.context_new_cast(c_, nullptr, globals_, ints_);
        gcc_jit_rvalue* type = g_.lvalue_as_rvalue(g_.context_new_array_access(
            c_, nullptr, ints,
            g_.context_new_rvalue_from_long(c_, int_,
                                            static_cast<long>((slot + typeAt) / sizeof(int)))));
        Require(g_.context_new_comparison(
            c_, nullptr, GCC_JIT_COMPARISON_EQ, type,
            g_.context_new_rvalue_from_int(c_, int_, static_cast<int>(VarType::Number))));
        gcc_jit_rvalue* value = Local(g_.lvalue_as_rvalue(g_.context_new_array_access(
            c_, nullptr, globals_,
            g_.context_new_rvalue_from_long(
                c_, int_, static_cast<long>((slot + numberAt) / sizeof(double))))));
        variables_.emplace_back(index, value);
        return value;
    }

    // A property's double, read through the storages the code is given.
    gcc_jit_rvalue* Storage(int32_t index) {
        if (IsBatchVariable(BatchVariable::Storage, index)) return point_;
        return Hoisted(true, [&] { return PropertyDouble(index); });
    }
    gcc_jit_rvalue* PropertyDouble(int32_t index) {
        gcc_jit_rvalue* pointer = g_.lvalue_as_rvalue(g_.context_new_array_access(
            c_, nullptr, storagesParam_, g_.context_new_rvalue_from_int(c_, int_, index)));
        return Local(g_.lvalue_as_rvalue(g_.rvalue_dereference(pointer, nullptr)));
    }

    gcc_jit_lvalue* Table(gcc_jit_type* function, std::size_t size, const char* name) {
        gcc_jit_type* type =
            g_.context_new_array_type(c_, nullptr, function, static_cast<int>(size));
        return g_.context_new_global(c_, nullptr, GCC_JIT_GLOBAL_EXPORTED, type, name);
    }
    gcc_jit_rvalue* Entry(gcc_jit_lvalue* table, int place) {
        return g_.lvalue_as_rvalue(
            g_.context_new_array_access(c_, nullptr, g_.lvalue_as_rvalue(table),
                                        g_.context_new_rvalue_from_int(c_, int_, place)));
    }

    gcc_jit_rvalue* Call(Unary function, gcc_jit_rvalue* argument) {
        gcc_jit_rvalue* pointer = Entry(unaryTable_, PlaceOf(function, UnaryCallees));
        return Local(g_.context_new_call_through_ptr(c_, nullptr, pointer, 1, &argument));
    }

    // Squared's test for moderate squares, made here; the other squares and those that fail it
    // are Squared's.
    gcc_jit_rvalue* Square(gcc_jit_rvalue* a) {
        if (!fma_) return Call(UnaryCallees.back(), a);
        const auto binary = [this](gcc_jit_binary_op op, gcc_jit_type* type, gcc_jit_rvalue* x,
                                   gcc_jit_rvalue* y) {
            return g_.context_new_binary_op(c_, nullptr, op, type, x, y);
        };
        gcc_jit_rvalue* p = Local(binary(GCC_JIT_BINARY_OP_MULT, double_, a, a));
        gcc_jit_rvalue* args[3] = {
            a, a, g_.context_new_unary_op(c_, nullptr, GCC_JIT_UNARY_OP_MINUS, double_, p)};
        gcc_jit_rvalue* e = g_.context_new_call(c_, nullptr, fma_, 3, args);
        gcc_jit_rvalue* scaled =
            binary(GCC_JIT_BINARY_OP_PLUS, double_, p,
                   binary(GCC_JIT_BINARY_OP_MULT, double_, e, Number(SquareModerateScale)));
        gcc_jit_rvalue* holds =
            binary(GCC_JIT_BINARY_OP_BITWISE_AND, bool_,
                   binary(GCC_JIT_BINARY_OP_BITWISE_AND, bool_,
                          Compare(p, GCC_JIT_COMPARISON_GE, SquareModerate[0]),
                          Compare(p, GCC_JIT_COMPARISON_LT, SquareModerate[1])),
                   g_.context_new_comparison(c_, nullptr, GCC_JIT_COMPARISON_EQ, scaled, p));
        const KeptSquare kept = Kept();
        if (ok_ && !inPre_ && !kept.base) { // in lanes: the other squares are the second loop's
            Require(holds);
            return p;
        }
        gcc_jit_lvalue* square = g_.function_new_local(fn_, nullptr, double_, "square");
        g_.block_add_assignment(block_, nullptr, square, p);
        if (ok_ && !inPre_) { // in lanes: the others are kept ones or the second loop's
            gcc_jit_rvalue* keptBase = Local(g_.lvalue_as_rvalue(kept.base));
            gcc_jit_rvalue* keptSquare = Local(g_.lvalue_as_rvalue(kept.square));
            gcc_jit_block* taken = g_.function_new_block(fn_, nullptr);
            gcc_jit_block* next = g_.function_new_block(fn_, nullptr);
            g_.block_end_with_conditional(block_, nullptr, holds, next, taken);
            g_.block_add_assignment(taken, nullptr, square, keptSquare);
            g_.block_end_with_jump(taken, nullptr, next);
            block_ = next;
            Require(
                binary(GCC_JIT_BINARY_OP_BITWISE_OR, bool_, holds,
                       g_.context_new_comparison(c_, nullptr, GCC_JIT_COMPARISON_EQ, keptBase, a)));
            return g_.lvalue_as_rvalue(square);
        }
        gcc_jit_block* other = g_.function_new_block(fn_, nullptr);
        gcc_jit_block* next = g_.function_new_block(fn_, nullptr);
        g_.block_end_with_conditional(block_, nullptr, holds, next, other);
        block_ = other;
        g_.block_add_assignment(block_, nullptr, square, Call(UnaryCallees.back(), a));
        if (kept.base) {
            g_.block_add_assignment(block_, nullptr, kept.base, a);
            g_.block_add_assignment(block_, nullptr, kept.square, g_.lvalue_as_rvalue(square));
        }
        g_.block_end_with_jump(block_, nullptr, next);
        block_ = next;
        return g_.lvalue_as_rvalue(square);
    }

    // Where a batch function keeps the square at the point that it is emitting, if it does.
    struct KeptSquare {
        gcc_jit_lvalue *base = nullptr, *square = nullptr;
    };
    KeptSquare Kept() {
        if (batch_.kind == BatchVariable::None || inPre_ || squaresAtThePoint_ == KeptSquares)
            return {};
        gcc_jit_type* size = g_.context_get_type(c_, GCC_JIT_TYPE_SIZE_T);
        const auto number = [&](std::size_t n) {
            return g_.context_new_rvalue_from_long(c_, size, static_cast<long>(n));
        };
        const auto binary = [&](gcc_jit_binary_op op, gcc_jit_rvalue* a, gcc_jit_rvalue* b) {
            return g_.context_new_binary_op(c_, nullptr, op, size, a, b);
        };
        const std::size_t k = squaresAtThePoint_++;
        keptSquares_ = std::max(keptSquares_, squaresAtThePoint_);
        // The pair's place, 2 * (count * k + i), then the base and the square side by side.
        gcc_jit_rvalue* pair = binary(GCC_JIT_BINARY_OP_MULT, number(2),
                                      binary(GCC_JIT_BINARY_OP_PLUS,
                                             binary(GCC_JIT_BINARY_OP_MULT, loop_.count, number(k)),
                                             g_.lvalue_as_rvalue(loop_.i)));
        const auto at = [&](std::size_t half) {
            return g_.context_new_array_access(c_, nullptr, loop_.squares,
                                               binary(GCC_JIT_BINARY_OP_PLUS, pair, number(half)));
        };
        return {at(0), at(1)};
    }

    Value Arithmetic(BinaryOp op, const Value& a, const Value& b, bool squared) {
        if (op == BinaryOp::Pow) {
            if (squared) return Here(Square(ChainOperand(a).rvalue), true);
            // A negative base with a fractional exponent and every overflow give no finite
            // value, which is where the evaluator raises its errors.
            gcc_jit_rvalue* pointer =
                Entry(binaryTable_, PlaceOf(static_cast<Binary>(Power), BinaryCallees));
            gcc_jit_rvalue* args[2] = {Checked(a), Checked(b)};
            return Here(Finite(g_.context_new_call_through_ptr(c_, nullptr, pointer, 2, args)));
        }
        if (op == BinaryOp::Div) // a division by zero gives no finite value either
            return Here(Finite(g_.context_new_binary_op(c_, nullptr, GCC_JIT_BINARY_OP_DIVIDE,
                                                        double_, Checked(a), Checked(b))));
        const auto code = op == BinaryOp::Add   ? GCC_JIT_BINARY_OP_PLUS
                          : op == BinaryOp::Sub ? GCC_JIT_BINARY_OP_MINUS
                                                : GCC_JIT_BINARY_OP_MULT;
        const Value left = ChainOperand(a), right = ChainOperand(b);
        return Here(
            Local(g_.context_new_binary_op(c_, nullptr, code, double_, left.rvalue, right.rvalue)),
            true);
    }

    gcc_jit_rvalue* BuiltinCall(int id, gcc_jit_rvalue* x) {
        switch (id) {
        case builtin::Sgn: {
            const auto asNumber = [this](gcc_jit_rvalue* condition) {
                return g_.context_new_cast(
                    c_, nullptr, g_.context_new_cast(c_, nullptr, condition, int_), double_);
            };
            return Local(
                g_.context_new_binary_op(c_, nullptr, GCC_JIT_BINARY_OP_MINUS, double_,
                                         asNumber(Compare(x, GCC_JIT_COMPARISON_GT, 0.0)),
                                         asNumber(Compare(x, GCC_JIT_COMPARISON_LT, 0.0))));
        }
        case builtin::CDbl:
            return x;
        case builtin::Abs: // the sign bit cleared, as the C library's fabs does: no call
            return Local(g_.context_new_call(c_, nullptr, fabs_, 1, &x));
        case builtin::Log:
            Require(Compare(x, GCC_JIT_COMPARISON_GT, 0.0));
            return Call(::log, x);
        case builtin::Sqr:
            Require(Compare(x, GCC_JIT_COMPARISON_GE, 0.0));
            return Call(::sqrt, x);
        case builtin::Exp:
        case builtin::Tan:
            return Finite(Call(LibraryFunction(id), x));
        default:
            return Call(LibraryFunction(id), x);
        }
    }

    Value Pop() {
        const Value top = stack_.back();
        stack_.pop_back();
        return top;
    }

    // Whether the instruction's value depends on the batch variable, with the stack of those of
    // the values below it.
    bool DependsOnBatch(const Instruction& in) {
        const auto top = [this] {
            const bool depends = depends_.back();
            depends_.pop_back();
            return depends;
        };
        const auto read = [this](Operand operand, int32_t index) {
            return operand == Operand::Var       ? IsBatchVariable(BatchVariable::Global, index)
                   : operand == Operand::Storage ? IsBatchVariable(BatchVariable::Storage, index)
                                                 : false;
        };
        bool depends = false;
        switch (in.code) {
        case OpCode::PushVar:
            depends = read(Operand::Var, in.index);
            break;
        case OpCode::PushStorage:
            depends = read(Operand::Storage, in.index);
            break;
        case OpCode::Binary:
            depends = in.operand == Operand::Stack ? top() : read(in.operand, in.index);
            depends = top() || depends;
            break;
        case OpCode::Unary:
        case OpCode::CallBuiltin:
            depends = top();
            break;
        default:
            break;
        }
        depends_.push_back(depends);
        return depends;
    }

    void Emit(const Instruction& in) {
        const bool hoist = !DependsOnBatch(in);
        Hoisted(hoist, [&]() -> gcc_jit_rvalue* {
            EmitHere(in);
            return nullptr;
        });
    }

    void EmitHere(const Instruction& in) {
        switch (in.code) {
        case OpCode::PushNumber:
            stack_.push_back(Here(Number(in.number)));
            break;
        case OpCode::PushVar:
            stack_.push_back(Here(Variable(in.index)));
            break;
        case OpCode::PushStorage:
            stack_.push_back(Here(Storage(in.index)));
            break;
        case OpCode::Binary: {
            const Value right = in.operand == Operand::Stack    ? Pop()
                                : in.operand == Operand::Number ? Here(Number(in.number))
                                : in.operand == Operand::Var    ? Here(Variable(in.index))
                                                                : Here(Storage(in.index));
            const Value left = Pop();
            const bool squared = in.operand == Operand::Number && in.number == 2.0;
            stack_.push_back(Arithmetic(static_cast<BinaryOp>(in.op), left, right, squared));
            break;
        }
        case OpCode::Unary:
            if (static_cast<UnaryOp>(in.op) == UnaryOp::Neg) {
                const Value operand = ChainOperand(Pop());
                stack_.push_back(
                    Here(Local(g_.context_new_unary_op(c_, nullptr, GCC_JIT_UNARY_OP_MINUS, double_,
                                                       operand.rvalue)),
                         operand.unchecked));
            }
            break;
        case OpCode::CallBuiltin:
            stack_.push_back(Here(BuiltinCall(in.index, Checked(Pop()))));
            break;
        default: // not compilable
            break;
        }
    }

    const GccJit& g_;
    gcc_jit_context* c_;
    gcc_jit_type *double_, *int_, *bool_, *doubles_, *storages_, *ints_, *unary_, *binary_;
    gcc_jit_lvalue *unaryTable_, *binaryTable_;
    gcc_jit_function *fma_ = nullptr, *expect_ = nullptr, *fabs_ = nullptr;
    gcc_jit_rvalue* globals_ = nullptr;
    gcc_jit_rvalue* storagesParam_ = nullptr;
    gcc_jit_function* fn_ = nullptr;
    gcc_jit_block* block_ = nullptr;
    gcc_jit_block* handBack_ = nullptr;
    std::vector<Value> stack_;
    std::vector<std::pair<int32_t, gcc_jit_rvalue*>> variables_;
    std::vector<bool> depends_;
    int locals_ = 0;
    // The batch function being built: its batch variable, the value it holds at the point, the
    // blocks before the loop and whether the code goes there now.
    BatchVariable batch_;
    gcc_jit_rvalue* point_ = nullptr;
    Lane pre_;
    bool inPre_ = false;
    gcc_jit_lvalue* ok_ = nullptr;      // in lanes: whether the point's checks hold so far
    std::size_t squaresAtThePoint_ = 0; // made so far in the program's code at the point
    std::size_t keptSquares_ = 0;       // the most kept at a point by the batch function
    // The batch function's loops: the point's place, the count, the points and the results, and
    // where the loop being made ends.
    struct {
        gcc_jit_lvalue* i;
        gcc_jit_rvalue *count, *values, *results, *squares;
        gcc_jit_block* after;
    } loop_{};
};

} // namespace vantrel::jit
