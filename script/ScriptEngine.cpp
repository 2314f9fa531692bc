#include "script/ScriptEngine.h"

namespace vantrel {

ScriptEngine::ScriptEngine() = default;
ScriptEngine::~ScriptEngine() = default;
void ScriptEngine::AddObject(const std::string&, ScriptObject*, bool) {}
void ScriptEngine::ExecuteStatement(std::string_view) {}
Variant ScriptEngine::Eval(std::string_view) {
    return {};
}
int32_t ScriptEngine::Prepare(std::string_view) {
    return 0;
}
Variant ScriptEngine::Evaluate(int32_t) {
    return {};
}
double ScriptEngine::EvaluateNumber(int32_t) {
    return 0.0;
}
int32_t ScriptEngine::BindVariable(std::string_view) {
    return 0;
}
void ScriptEngine::Assign(int32_t, double) {}

} // namespace vantrel
