#include "script/Compiler.h"

#include "script/Builtins.h"
#include "script/Scanner.h"
#include "script/ScriptError.h"

#include <algorithm>

namespace vantrel {

namespace {

// Binding strength of the binary operators; Not sits at 6 and unary minus at 13.
constexpr int NotLevel = 6;
constexpr int CompareLevel = 7;
constexpr int UnaryLevel = 13;
constexpr int PowerLevel = 14;

struct OperatorInfo {
    int level = 0; // 0: not a binary operator
    BinaryOp op = BinaryOp::Add;
};

OperatorInfo BinaryOperator(const Token& t) {
    switch (t.kind) {
    case TokenKind::Caret:
        return {PowerLevel, BinaryOp::Pow};
    case TokenKind::Star:
        return {12, BinaryOp::Mul};
    case TokenKind::Slash:
        return {12, BinaryOp::Div};
    case TokenKind::Backslash:
        return {11, BinaryOp::IntDiv};
    case TokenKind::Plus:
        return {9, BinaryOp::Add};
    case TokenKind::Minus:
        return {9, BinaryOp::Sub};
    case TokenKind::Ampersand:
        return {8, BinaryOp::Concat};
    case TokenKind::Equal:
        return {CompareLevel, BinaryOp::Eq};
    case TokenKind::NotEqual:
        return {CompareLevel, BinaryOp::Ne};
    case TokenKind::Less:
        return {CompareLevel, BinaryOp::Lt};
    case TokenKind::Greater:
        return {CompareLevel, BinaryOp::Gt};
    case TokenKind::LessEqual:
        return {CompareLevel, BinaryOp::Le};
    case TokenKind::GreaterEqual:
        return {CompareLevel, BinaryOp::Ge};
    case TokenKind::Keyword:
        break;
    default:
        return {};
    }
    switch (t.word) {
    case Word::Mod:
        return {10, BinaryOp::Mod};
    case Word::And:
        return {5, BinaryOp::And};
    case Word::Or:
        return {4, BinaryOp::Or};
    case Word::Xor:
        return {3, BinaryOp::Xor};
    case Word::Eqv:
        return {2, BinaryOp::Eqv};
    case Word::Imp:
        return {1, BinaryOp::Imp};
    default:
        return {};
    }
}

bool IsConstant(const Instruction& in) {
    return in.code == OpCode::PushNumber || in.code == OpCode::PushLiteral;
}

int StackEffect(const Instruction& in) {
    switch (in.code) {
    case OpCode::PushNumber:
    case OpCode::PushLiteral:
    case OpCode::PushVar:
    case OpCode::PushStorage:
    case OpCode::PushMember:
        return 1;
    case OpCode::Binary:
        return in.operand == Operand::Stack ? -1 : 0;
    case OpCode::CallBuiltin:
    case OpCode::CallMember:
    case OpCode::Raise:
        return 1 - in.count;
    case OpCode::StoreVar:
    case OpCode::StoreStorage:
    case OpCode::StoreMember:
        return -1;
    default:
        return 0;
    }
}

class Parser {
public:
    Parser(std::string_view text, NameResolver& names, Program& program)
        : scanner_(text), names_(names), p_(program) {
        Advance();
    }

    void Statement() {
        if (token_.kind == TokenKind::Keyword) throw CompileError{1002, token_.column};
        if (token_.kind != TokenKind::Identifier) throw CompileError{1024, token_.column};
        const Token target = token_;
        Advance();
        if (token_.kind != TokenKind::Equal) throw CompileError{1011, token_.column};
        Advance();
        Expression();
        EndOfText();
        const NameBinding binding = names_.Resolve(target.text);
        switch (binding.kind) {
        case NameBinding::Variable:
            Emit({OpCode::StoreVar}, binding.index, target.column);
            break;
        case NameBinding::Storage:
            Emit({OpCode::StoreStorage}, binding.index, target.column);
            break;
        case NameBinding::Member:
            Emit({OpCode::StoreMember}, binding.index, target.column);
            break;
        default:
            EmitRaise(501, 1, target.column);
            break;
        }
    }

    void WholeExpression() {
        Expression();
        EndOfText();
    }

private:
    void Advance() { token_ = scanner_.Next(); }

    void EndOfText() {
        if (token_.kind != TokenKind::End) throw CompileError{1025, token_.column};
    }

    void Emit(Instruction in, int32_t index, int32_t column) {
        in.index = index;
        p_.code.push_back(in);
        p_.columns.push_back(column);
    }

    void EmitRaise(int32_t number, int count, int32_t column) {
        Instruction in{OpCode::Raise};
        in.count = static_cast<uint8_t>(count);
        Emit(in, number, column);
    }

    void EmitConstant(const Variant& value, int32_t column) {
        Instruction in{OpCode::PushNumber};
        if (value.type == VarType::Number) {
            in.number = value.number;
            Emit(in, 0, column);
            return;
        }
        in.code = OpCode::PushLiteral;
        p_.literals.push_back(value);
        Emit(in, static_cast<int32_t>(p_.literals.size() - 1), column);
    }

    Variant ConstantAt(std::size_t at) const {
        const Instruction& in = p_.code[at];
        return in.code == OpCode::PushNumber ? Variant::Num(in.number)
                                             : p_.literals[static_cast<std::size_t>(in.index)];
    }

    void Truncate(std::size_t size) {
        p_.code.resize(size);
        p_.columns.resize(size);
    }

    void Expression() { Binary(1); }

    // Precedence climbing over the binary operators; every operator is left-associative.
    void Binary(int minLevel) {
        if (++depth_ > MaxNesting) throw CompileError{1099, token_.column};
        const std::size_t leftStart = p_.code.size();
        Operand(minLevel);
        for (;;) {
            const OperatorInfo info = BinaryOperator(token_);
            if (info.level == 0 || info.level < minLevel) break;
            const int32_t column = token_.column;
            Advance();
            const std::size_t rightStart = p_.code.size();
            Binary(info.level + 1);
            EmitBinary(info.op, leftStart, rightStart, column);
        }
        --depth_;
    }

    void EmitBinary(BinaryOp op, std::size_t leftStart, std::size_t rightStart, int32_t column) {
        const bool leftSingle = rightStart == leftStart + 1;
        const bool rightSingle = p_.code.size() == rightStart + 1;
        if (leftSingle && rightSingle && IsConstant(p_.code[leftStart]) &&
            IsConstant(p_.code[rightStart])) {
            try {
                const Variant folded = Apply(op, ConstantAt(leftStart), ConstantAt(rightStart));
                Truncate(leftStart);
                EmitConstant(folded, column);
                return;
            } catch (const RuntimeError&) {
                // raised when the program runs, as a run-time error
            }
        }
        Instruction in{OpCode::Binary};
        in.op = static_cast<uint8_t>(op);
        int32_t index = 0;
        if (rightSingle) {
            const Instruction& right = p_.code[rightStart];
            const bool fusable = right.code == OpCode::PushNumber ||
                                 right.code == OpCode::PushVar || right.code == OpCode::PushStorage;
            if (fusable) {
                in.operand = right.code == OpCode::PushNumber ? Operand::Number
                             : right.code == OpCode::PushVar  ? Operand::Var
                                                              : Operand::Storage;
                in.number = right.number;
                index = right.index;
                Truncate(rightStart);
            }
        }
        Emit(in, index, column);
    }

    void Operand(int minLevel) {
        const int32_t column = token_.column;
        if (token_.kind == TokenKind::Keyword && token_.word == Word::Not) {
            if (minLevel > NotLevel) throw CompileError{1023, column};
            Advance();
            EmitUnary(
                UnaryOp::Not, [this] { Binary(NotLevel); }, column);
            return;
        }
        if (token_.kind == TokenKind::Minus || token_.kind == TokenKind::Plus) {
            const UnaryOp op = token_.kind == TokenKind::Minus ? UnaryOp::Neg : UnaryOp::Plus;
            Advance();
            EmitUnary(
                op, [this] { Binary(UnaryLevel); }, column);
            return;
        }
        Primary();
    }

    template <typename ParseOperand>
    void EmitUnary(UnaryOp op, ParseOperand parse, int32_t column) {
        const std::size_t start = p_.code.size();
        parse();
        if (p_.code.size() == start + 1 && IsConstant(p_.code[start])) {
            try {
                const Variant folded = Apply(op, ConstantAt(start));
                Truncate(start);
                EmitConstant(folded, column);
                return;
            } catch (const RuntimeError&) {
                // raised when the program runs
            }
        }
        Instruction in{OpCode::Unary};
        in.op = static_cast<uint8_t>(op);
        Emit(in, 0, column);
    }

    void Primary() {
        const Token t = std::move(token_);
        switch (t.kind) {
        case TokenKind::Number:
            Advance();
            EmitConstant(Variant::Num(t.number), t.column);
            return;
        case TokenKind::String:
            Advance();
            EmitConstant(Variant::Str(t.value), t.column);
            return;
        case TokenKind::LeftParen:
            Advance();
            Expression();
            if (token_.kind != TokenKind::RightParen) throw CompileError{1006, token_.column};
            Advance();
            return;
        case TokenKind::Identifier:
            Advance();
            Name(t);
            return;
        case TokenKind::Keyword:
            break;
        default:
            throw CompileError{1023, t.column};
        }
        switch (t.word) {
        case Word::True:
            EmitConstant(Variant::Bool(true), t.column);
            break;
        case Word::False:
            EmitConstant(Variant::Bool(false), t.column);
            break;
        case Word::Empty:
            EmitConstant(Variant::Empty(), t.column);
            break;
        case Word::Null:
            EmitConstant(Variant::Null(), t.column);
            break;
        default:
            throw CompileError{1002, t.column};
        }
        Advance();
    }

    int Arguments() {
        int count = 0;
        Advance(); // (
        if (token_.kind != TokenKind::RightParen) {
            for (;;) {
                Expression();
                ++count;
                if (token_.kind != TokenKind::Comma) break;
                Advance();
            }
        }
        if (token_.kind != TokenKind::RightParen) throw CompileError{1006, token_.column};
        Advance();
        return std::min(count, 255);
    }

    void Name(const Token& name) {
        const NameBinding binding = names_.Resolve(name.text);
        const bool call = token_.kind == TokenKind::LeftParen;
        const int count = call ? Arguments() : 0;
        switch (binding.kind) {
        case NameBinding::Builtin:
            if (!BuiltinAccepts(binding.index, count)) {
                EmitRaise(450, count, name.column);
            } else {
                Instruction in{OpCode::CallBuiltin};
                in.count = static_cast<uint8_t>(count);
                Emit(in, binding.index, name.column);
            }
            return;
        case NameBinding::Function:
            if (count != 1) {
                EmitRaise(450, count, name.column);
            } else {
                Instruction in{OpCode::CallMember};
                in.count = 1;
                Emit(in, binding.index, name.column);
            }
            return;
        default:
            break;
        }
        if (call) { // a variable or a property cannot take arguments
            EmitRaise(binding.kind == NameBinding::Variable ? 13 : 450, count, name.column);
            return;
        }
        const OpCode load = binding.kind == NameBinding::Variable  ? OpCode::PushVar
                            : binding.kind == NameBinding::Storage ? OpCode::PushStorage
                                                                   : OpCode::PushMember;
        Emit({load}, binding.index, name.column);
    }

    Scanner scanner_;
    NameResolver& names_;
    Program& p_;
    Token token_;
    int depth_ = 0;
};

std::size_t StackSize(const Program& program) {
    int depth = 0, deepest = 0;
    for (const Instruction& in : program.code) {
        depth += StackEffect(in);
        deepest = std::max(deepest, depth);
    }
    return static_cast<std::size_t>(deepest) + 1;
}

} // namespace

Program Compile(std::string_view text, SourceKind kind, NameResolver& names) {
    Program program;
    program.text = std::string(text);
    try {
        Parser parser(program.text, names, program);
        if (kind == SourceKind::Statement)
            parser.Statement();
        else
            parser.WholeExpression();
    } catch (const CompileError& error) {
        program.errorNumber = error.number;
        program.errorColumn = error.column;
        program.code.clear();
        program.columns.clear();
    }
    program.stackSize = StackSize(program);
    return program;
}

} // namespace vantrel
