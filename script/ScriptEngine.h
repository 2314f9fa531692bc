// The engine behind ScriptControl: the names, the compile cache, and the Error event around
// every call.
#pragma once

#include "script/Environment.h"
#include "script/Evaluator.h"
#include "script/Program.h"
#include "script/ScriptError.h"
#include "script/ScriptObject.h"
#include "script/Variant.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrel {

// Error sources, in this system's own words.
inline constexpr const char* RuntimeErrorSource = "Vantrel script runtime error";
inline constexpr const char* CompileErrorSource = "Vantrel script compilation error";

class ScriptEngine {
public:
    void AddObject(ScriptObject* object, bool membersGlobal);
    void ExecuteStatement(std::string_view statement);
    Variant Eval(std::string_view expression);
    void SetErrorHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    const ScriptError& Error() const { return error_; }

    int32_t Prepare(std::string_view expression);
    Variant Evaluate(int32_t expression);
    double EvaluateNumber(int32_t expression);
    int32_t BindVariable(std::string_view name);
    void Assign(int32_t variable, double value);

private:
    // Where a bound variable's fast assignment stores; Text means the statement route.
    struct BoundVariable {
        std::string name;
        enum Kind { Text, Global, Storage, Member } kind = Text;
        int32_t index = 0;
    };

    const Program& Compiled(std::string_view text, SourceKind kind, Program& uncached);
    Variant Execute(const Program& program);
    [[noreturn]] void Fail(const Program& program, const ProgramError& error);

    Environment names_;
    std::deque<Program> programs_; // stable addresses: handles and the cache refer to them
    std::unordered_map<std::string, int32_t> statements_, expressions_;
    std::vector<BoundVariable> variables_;
    std::vector<Variant> stack_;
    std::function<void()> handler_;
    ScriptError error_;
};

} // namespace vantrel
