// The batch functions: their loops over the points (CodeBuilderImpl.h says what each part makes).
#include "script/jit/CodeBuilderImpl.h"

namespace vantrel::jit {

void CodeBuilder::Impl::AddMany(const Program& program, const std::string& name,
                                BatchVariable batch) {
    gcc_jit_type* size = g_.context_get_type(c_, GCC_JIT_TYPE_SIZE_T);
    gcc_jit_param* params[6] = {
        g_.context_new_param(c_, nullptr, doubles_, "globals"),
        g_.context_new_param(c_, nullptr, storages_, "storages"),
        g_.context_new_param(c_, nullptr, doubles_, "values"),
        g_.context_new_param(c_, nullptr, g_.type_get_pointer(double_), "results"),
        g_.context_new_param(c_, nullptr, size, "count"),
        g_.context_new_param(c_, nullptr, g_.type_get_pointer(double_), "squares")};
    Begin(params, size, name);
    batch_ = batch;
    keptSquares_ = 0;
    loop_ = {g_.function_new_local(fn_, nullptr, size, "i"),
             g_.param_as_rvalue(params[4]),
             g_.param_as_rvalue(params[2]),
             g_.param_as_rvalue(params[3]),
             g_.param_as_rvalue(params[5]),
             nullptr};
    gcc_jit_block* none = g_.function_new_block(fn_, "none");
    gcc_jit_block* stop = g_.function_new_block(fn_, "stop");
    g_.block_end_with_return(none, nullptr, g_.context_zero(c_, size));
    g_.block_end_with_return(stop, nullptr, g_.lvalue_as_rvalue(loop_.i));
    pre_ = {block_, none};
    handBack_ = stop;
    gcc_jit_block* start = g_.function_new_block(fn_, "start"); // after what is done once
    gcc_jit_block* oneByOne = g_.function_new_block(fn_, "one_by_one");
    if (CallsAtThePoint(program)) {
        g_.block_end_with_jump(start, nullptr, oneByOne);
    } else {
        gcc_jit_block* lanes = g_.function_new_block(fn_, "lanes");
        g_.block_end_with_conditional(
            start, nullptr,
            g_.context_new_comparison(c_, nullptr, GCC_JIT_COMPARISON_GE, loop_.count,
                                      g_.context_new_rvalue_from_int(c_, size, 16)),
            lanes, oneByOne);
        block_ = lanes;
        InLanes(program);
        PointByPoint(program, true);
    }
    block_ = oneByOne;
    PointByPoint(program, false);
    g_.block_end_with_jump(pre_.block, nullptr, start);
    batch_ = {};
    Constant(KeptName(name),
             std::string_view(reinterpret_cast<const char*>(&keptSquares_), sizeof keptSquares_));
}

void CodeBuilder::Impl::InLanes(const Program& program) {
    gcc_jit_lvalue* none = g_.function_new_local(fn_, nullptr, int_, "none_marked");
    g_.block_add_assignment(block_, nullptr, none, g_.context_one(c_, int_));
    gcc_jit_block* head = Loop("in_lanes");
    ok_ = g_.function_new_local(fn_, nullptr, bool_, "ok");
    g_.block_add_assignment(block_, nullptr, ok_, g_.context_one(c_, bool_));
    gcc_jit_rvalue* value = EmitAt(program, g_.lvalue_as_rvalue(At(loop_.values)));
    gcc_jit_lvalue* lane = g_.function_new_local(fn_, nullptr, double_, "lane");
    g_.block_add_assignment(block_, nullptr, lane, Number(NAN));
    gcc_jit_block* set = g_.function_new_block(fn_, nullptr);
    gcc_jit_block* store = g_.function_new_block(fn_, nullptr);
    g_.block_end_with_conditional(block_, nullptr, g_.lvalue_as_rvalue(ok_), set, store);
    g_.block_add_assignment(set, nullptr, lane, value);
    g_.block_end_with_jump(set, nullptr, store);
    block_ = store;
    g_.block_add_assignment(block_, nullptr, At(loop_.results), g_.lvalue_as_rvalue(lane));
    g_.block_add_assignment_op(block_, nullptr, none, GCC_JIT_BINARY_OP_BITWISE_AND,
                               g_.context_new_cast(c_, nullptr, g_.lvalue_as_rvalue(ok_), int_));
    ok_ = nullptr;
    Next(head);
    // Where no point is marked, the second loop has nothing to do.
    gcc_jit_block* done = g_.function_new_block(fn_, "none_marked");
    gcc_jit_block* marked = g_.function_new_block(fn_, nullptr);
    g_.block_end_with_conditional(block_, nullptr,
                                  g_.context_new_comparison(c_, nullptr, GCC_JIT_COMPARISON_NE,
                                                            g_.lvalue_as_rvalue(none),
                                                            g_.context_zero(c_, int_)),
                                  done, marked);
    g_.block_end_with_return(done, nullptr, loop_.count);
    block_ = marked;
}

void CodeBuilder::Impl::PointByPoint(const Program& program, bool marked) {
    gcc_jit_block* head = Loop("point_by_point");
    if (marked) {
        SkipUnmarked(head);
        gcc_jit_block* redo = g_.function_new_block(fn_, nullptr);
        gcc_jit_block* skip = g_.function_new_block(fn_, nullptr);
        g_.block_end_with_conditional(block_, nullptr,
                                      IsFinite(g_.lvalue_as_rvalue(At(loop_.results))), skip, redo);
        block_ = skip;
        Next(head);
        block_ = redo;
    }
    gcc_jit_rvalue* value = EmitAt(program, g_.lvalue_as_rvalue(At(loop_.values)));
    g_.block_add_assignment(block_, nullptr, At(loop_.results), value);
    Next(head);
    g_.block_end_with_return(block_, nullptr, loop_.count); // every point done
}

// Marked points are few: the loop passes four points at a time where their sum is finite, which
// it is not where one of them is marked (or where the sum overflows, when each is looked at).
void CodeBuilder::Impl::SkipUnmarked(gcc_jit_block* head) {
    gcc_jit_type* size = g_.context_get_type(c_, GCC_JIT_TYPE_SIZE_T);
    gcc_jit_rvalue* i = g_.lvalue_as_rvalue(loop_.i);
    const auto result = [&](int k) {
        return g_.lvalue_as_rvalue(g_.context_new_array_access(
            c_, nullptr, loop_.results,
            g_.context_new_binary_op(c_, nullptr, GCC_JIT_BINARY_OP_PLUS, size, i,
                                     g_.context_new_rvalue_from_int(c_, size, k))));
    };
    const auto plus = [&](gcc_jit_rvalue* a, gcc_jit_rvalue* b) {
        return g_.context_new_binary_op(c_, nullptr, GCC_JIT_BINARY_OP_PLUS, double_, a, b);
    };
    gcc_jit_block* four = g_.function_new_block(fn_, nullptr);
    gcc_jit_block* passed = g_.function_new_block(fn_, nullptr);
    gcc_jit_block* one = g_.function_new_block(fn_, nullptr);
    g_.block_end_with_conditional(
        block_, nullptr,
        g_.context_new_comparison(
            c_, nullptr, GCC_JIT_COMPARISON_LE,
            g_.context_new_binary_op(c_, nullptr, GCC_JIT_BINARY_OP_PLUS, size, i,
                                     g_.context_new_rvalue_from_int(c_, size, 4)),
            loop_.count),
        four, one);
    gcc_jit_rvalue* sum = plus(plus(result(0), result(1)), plus(result(2), result(3)));
    g_.block_end_with_conditional(four, nullptr, Likely(IsFinite(sum)), passed, one);
    g_.block_add_assignment_op(passed, nullptr, loop_.i, GCC_JIT_BINARY_OP_PLUS,
                               g_.context_new_rvalue_from_int(c_, size, 4));
    g_.block_end_with_jump(passed, nullptr, head);
    block_ = one;
}

gcc_jit_block* CodeBuilder::Impl::Loop(const char* name) {
    gcc_jit_type* size = g_.context_get_type(c_, GCC_JIT_TYPE_SIZE_T);
    gcc_jit_block* head = g_.function_new_block(fn_, name);
    gcc_jit_block* body = g_.function_new_block(fn_, nullptr);
    g_.block_add_assignment(block_, nullptr, loop_.i, g_.context_zero(c_, size));
    g_.block_end_with_jump(block_, nullptr, head);
    loop_.after = g_.function_new_block(fn_, nullptr);
    g_.block_end_with_conditional(head, nullptr,
                                  g_.context_new_comparison(c_, nullptr, GCC_JIT_COMPARISON_LT,
                                                            g_.lvalue_as_rvalue(loop_.i),
                                                            loop_.count),
                                  body, loop_.after);
    block_ = body;
    return head;
}

void CodeBuilder::Impl::Next(gcc_jit_block* head) {
    g_.block_add_assignment_op(block_, nullptr, loop_.i, GCC_JIT_BINARY_OP_PLUS,
                               g_.context_one(c_, g_.context_get_type(c_, GCC_JIT_TYPE_SIZE_T)));
    g_.block_end_with_jump(block_, nullptr, head);
    block_ = loop_.after;
}

gcc_jit_lvalue* CodeBuilder::Impl::At(gcc_jit_rvalue* array) {
    return g_.context_new_array_access(c_, nullptr, array, g_.lvalue_as_rvalue(loop_.i));
}

bool CodeBuilder::Impl::CallsAtThePoint(const Program& program) {
    depends_.clear();
    bool calls = false;
    for (const Instruction& in : program.code) {
        const bool squared =
            in.code == OpCode::Binary && in.operand == Operand::Number && in.number == 2.0;
        const bool call = (in.code == OpCode::CallBuiltin && in.index != builtin::Sgn &&
                           in.index != builtin::CDbl && in.index != builtin::Abs) ||
                          (in.code == OpCode::Binary &&
                           static_cast<BinaryOp>(in.op) == BinaryOp::Pow && !(squared && fma_));
        calls = (DependsOnBatch(in) && call) || calls;
    }
    depends_.clear();
    return calls;
}

} // namespace vantrel::jit
