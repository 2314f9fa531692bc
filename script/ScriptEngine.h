// The engine behind ScriptControl: global names and objects, the compile cache, and the
// Error event around every call.
#pragma once

#include "script/ScriptError.h"
#include "script/ScriptObject.h"
#include "script/Variant.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

class ScriptEngine {
public:
    ScriptEngine();
    ~ScriptEngine();

    void AddObject(const std::string& name, ScriptObject* object, bool membersGlobal);
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
    std::function<void()> handler_;
    ScriptError error_;
};

} // namespace vantrel
