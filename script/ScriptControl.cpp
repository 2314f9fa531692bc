#include "script/ScriptControl.h"

#include "script/ScriptEngine.h"

namespace vantrel {

ScriptControl::ScriptControl() : engine_(std::make_unique<ScriptEngine>()) {}
ScriptControl::~ScriptControl() = default;

// Members are reached by bare name only, so the object's own name is not needed.
void ScriptControl::AddObject([[maybe_unused]] const std::string& name, ScriptObject* object,
                              bool membersGlobal) {
    engine_->AddObject(object, membersGlobal);
}

void ScriptControl::ExecuteStatement(std::string_view statement) {
    engine_->ExecuteStatement(statement);
}

Variant ScriptControl::Eval(std::string_view expression) {
    return engine_->Eval(expression);
}

void ScriptControl::SetErrorHandler(std::function<void()> handler) {
    engine_->SetErrorHandler(std::move(handler));
}

const std::function<void()>& ScriptControl::ErrorHandler() const {
    return engine_->ErrorHandler();
}

const ScriptError& ScriptControl::Error() const {
    return engine_->Error();
}

ScriptControl::ExprHandle ScriptControl::Prepare(std::string_view expression) {
    return engine_->Prepare(expression);
}

Variant ScriptControl::Evaluate(ExprHandle expression) {
    return engine_->Evaluate(expression);
}

double ScriptControl::EvaluateNumber(ExprHandle expression) {
    return engine_->EvaluateNumber(expression);
}

std::optional<double> ScriptControl::LoneNumber(ExprHandle expression) const {
    return engine_->LoneNumber(expression);
}

bool ScriptControl::Mentions(ExprHandle expression, std::string_view name) {
    return engine_->Mentions(expression, name);
}

bool ScriptControl::Calls(ExprHandle expression, std::string_view function) const {
    return engine_->Calls(expression, function);
}

void ScriptControl::CompileAfterRuns(uint32_t runs) {
    engine_->CompileAfterRuns(runs);
}

class ScriptControl::Names {
public:
    explicit Names(const Environment& names) : names(names) {}
    const Environment names;
};

std::shared_ptr<const ScriptControl::Names> ScriptControl::CopyOfNames() const {
    return std::make_shared<const Names>(engine_->Names());
}

void ScriptControl::CopyNamesFrom(const Names& names) {
    engine_->CopyNamesFrom(names.names);
}

ScriptControl::VarHandle ScriptControl::BindVariable(std::string_view name) {
    return engine_->BindVariable(name);
}

void ScriptControl::Assign(VarHandle variable, double value) {
    engine_->Assign(variable, value);
}

void ScriptControl::Assign(std::span<const VarHandle> variables, const double* values) {
    engine_->Assign(variables, values);
}

bool ScriptControl::AssignsPlainly(VarHandle variable) const {
    return engine_->AssignsPlainly(variable);
}

bool ScriptControl::MachineCodeReady(ExprHandle expression) const {
    return engine_->MachineCodeReady(expression);
}

void ScriptControl::BatchOver(ExprHandle expression, VarHandle variable) {
    engine_->BatchOver(expression, variable);
}

void ScriptControl::LookUpMachineCode(ExprHandle expression) {
    engine_->LookUpMachineCode(expression);
}

bool ScriptControl::CompilingMachineCode() const {
    return engine_->CompilingMachineCode();
}

std::size_t ScriptControl::EvaluateMany(ExprHandle expression, VarHandle variable,
                                        std::span<const double> xs, double* values,
                                        bool pointsAgain, double step) {
    return engine_->EvaluateMany(expression, variable, xs, values, pointsAgain, step);
}

std::size_t ScriptControl::RoundPoints(std::span<const double> xs, double* rounded) {
    return ScriptEngine::RoundPoints(xs, rounded);
}

std::size_t ScriptControl::EvaluateRounded(ExprHandle expression, VarHandle variable,
                                           std::span<const double> xs, const double* rounded,
                                           double* values) {
    return engine_->EvaluateRounded(expression, variable, xs, rounded, values);
}

std::size_t ScriptControl::EvaluateRoundedOver(ExprHandle expression, VarHandle variable,
                                               std::span<const double> xs, const double* rounded,
                                               VarHandle outerVariable,
                                               std::span<const double> outer, double* values) {
    return engine_->EvaluateRoundedOver(expression, variable, xs, rounded, outerVariable, outer,
                                        values);
}

const uint64_t& ScriptControl::StatementsRun() const {
    return engine_->StatementsRun();
}

} // namespace vantrel
