// The script engine: executes assignment statements and evaluates expressions of a
// VBScript-compatible expression language, with an Error event.
#pragma once

#include "ScriptError.h"
#include "ScriptObject.h"
#include "Variant.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

class ScriptEngine; // scanner, compiler and evaluator behind this facade

class ScriptControl {
public:
    ScriptControl();
    ~ScriptControl();
    ScriptControl(const ScriptControl&) = delete;
    ScriptControl& operator=(const ScriptControl&) = delete;

    std::string Language = "VBScript";
    int32_t Timeout = 10000; // milliseconds; kept, not enforced

    // Members of a global object are reachable by bare name from every later call.
    void AddObject(const std::string& name, ScriptObject* object, bool membersGlobal);

    // One assignment statement, name = expression. On failure: the Error event runs, then
    // ScriptFailure is thrown with the same Number, Source and Description.
    void ExecuteStatement(std::string_view statement);
    // One expression; failures as for ExecuteStatement.
    Variant Eval(std::string_view expression);

    // The Error event, raised while the failing call is still in progress.
    void SetErrorHandler(std::function<void()> handler);
    const std::function<void()>& ErrorHandler() const;
    // The engine's Error object: the last failure.
    const ScriptError& Error() const;

    // Fast paths for the integrator. An expression handle stands for Eval of its text, compiled
    // once; evaluating it has exactly the effect and the failures of Eval(text).
    using ExprHandle = int32_t;
    ExprHandle Prepare(std::string_view expression);
    Variant Evaluate(ExprHandle expression);
    // Evaluate converted to a double as CDbl would (Empty 0, True -1, numeric strings); a value
    // that does not convert throws RuntimeError (13 Type mismatch, 94 Invalid use of Null)
    // without an Error event, since the failure is the caller's conversion, not the script's.
    double EvaluateNumber(ExprHandle expression);
    // The value of an expression that is a lone number (constants folded): EvaluateNumber gives
    // it without running anything, and it cannot fail. Nothing for any other expression.
    std::optional<double> LoneNumber(ExprHandle expression) const;
    // A prepared numeric expression is compiled to machine code in the background once it has
    // run this many times (by default some milliseconds of evaluating); the evaluator runs it
    // until the code is there.
    void CompileAfterRuns(uint32_t runs);

    // A variable handle stands for the statement name = <value>, where <value> is the value's
    // text with 15 significant digits: Assign stores exactly the same double in the same place
    // (added object's property or global variable) with the same failures, without any text.
    // Whether the expression reads the variable or property that name stands for.
    bool Mentions(ExprHandle expression, std::string_view name);
    // Whether the expression calls the built-in or added function of that name.
    bool Calls(ExprHandle expression, std::string_view function) const;

    // The names this engine knows and its global variables' values as they stand: another
    // thread may take them while this engine runs on.
    class Names;
    std::shared_ptr<const Names> CopyOfNames() const;
    // Makes every name of the copy resolve here as it did there, gives every global variable the
    // value it had there (the added objects' properties are the objects' own business), and
    // shares that engine's machine code. This engine's added objects stand in for that one's:
    // the same kinds, added in the same order.
    void CopyNamesFrom(const Names& names);

    using VarHandle = int32_t;
    VarHandle BindVariable(std::string_view name);
    void Assign(VarHandle variable, double value);
    // Assign of each variable to its value, in order.
    void Assign(std::span<const VarHandle> variables, const double* values);
    // Whether the variable's value is stored where only statements and Assign store (a global
    // variable or a plain-double property), so that assigning the same value again changes
    // nothing as long as no statement has run.
    bool AssignsPlainly(VarHandle variable) const;
    // Whether the expression's machine code is there (ScriptEngine compiles a numeric expression
    // once it has run often).
    bool MachineCodeReady(ExprHandle expression) const;
    // EvaluateMany will run the expression over the variable: its machine code is to come with a
    // batch function, which computes what does not depend on the variable once per batch.
    void BatchOver(ExprHandle expression, VarHandle variable);
    // Takes the expression's machine code from the code cache now if it is there, rather than
    // once the expression has run often: for an engine whose evaluations are surely many.
    void LookUpMachineCode(ExprHandle expression);
    // Whether machine code for this engine (or one that shares its code) is being compiled, on a
    // thread of its own.
    bool CompilingMachineCode() const;
    // For each x in order: Assign(variable, x), then EvaluateNumber(expression) into values, as
    // long as the variable is stored plainly and the expression's machine code gives the value.
    // Returns the points done; the one there stopped at is for the caller to assign and evaluate.
    // The rest of values is the call's scratch. pointsAgain says that the same batches of points
    // come again and again, so that their roundings to 15 digits are worth keeping; a step that
    // is not 0 says that xs are a chain, each point step plus the one before (rounded), which
    // its first point, its step and its length make.
    std::size_t EvaluateMany(ExprHandle expression, VarHandle variable, std::span<const double> xs,
                             double* values, bool pointsAgain, double step);
    // The stored value of each point in order (its rounding to 15 digits) into rounded: how many
    // from the first are finite and have a finite stored value.
    static std::size_t RoundPoints(std::span<const double> xs, double* rounded);
    // EvaluateMany over points that RoundPoints gave the stored values rounded, every one of them
    // finite: for a caller that keeps a batch of points that come again.
    std::size_t EvaluateRounded(ExprHandle expression, VarHandle variable,
                                std::span<const double> xs, const double* rounded, double* values);
    // EvaluateRounded at each value of outer in turn, Assign(outerVariable, value) first, as long
    // as that stores plainly and every point of the batch is done: how many values of outer are
    // done, their values xs.size() apart.
    std::size_t EvaluateRoundedOver(ExprHandle expression, VarHandle variable,
                                    std::span<const double> xs, const double* rounded,
                                    VarHandle outerVariable, std::span<const double> outer,
                                    double* values);
    // Counts the statements run, and whatever else may change stored values behind Assign; the
    // count lives as long as this engine.
    const uint64_t& StatementsRun() const;

private:
    std::unique_ptr<ScriptEngine> engine_;
};

} // namespace vantrel
