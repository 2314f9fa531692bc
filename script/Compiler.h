// The second stage: parses a statement or an expression and compiles it into a Program,
// with every name resolved by the engine and constant subexpressions folded.
#pragma once

#include "script/Program.h"

#include <cstdint>
#include <string_view>

namespace vantrel {

// What a name stands for; index refers to the engine's tables of each kind.
struct NameBinding {
    enum Kind { Variable, Storage, Member, Function, Builtin } kind = Variable;
    int32_t index = 0;
};

class NameResolver {
public:
    virtual NameBinding Resolve(std::string_view name) = 0;

protected:
    ~NameResolver() = default;
};

// Nesting of parentheses and prefix operators beyond this is a compile error (1099), so that
// the parser's recursion stays far from the thread's stack limit.
constexpr int MaxNesting = 200;

enum class SourceKind { Statement, Expression };

// Never throws for bad text: a compile error is kept in the program's errorNumber and
// errorColumn (0-based offset of the offending token).
Program Compile(std::string_view text, SourceKind kind, NameResolver& names);

} // namespace vantrel
