// The engine behind ScriptControl: the names, the compile cache, and the Error event around
// every call.
#pragma once

#include "script/Environment.h"
#include "script/Evaluator.h"
#include "script/Program.h"
#include "script/ScriptError.h"
#include "script/ScriptObject.h"
#include "script/Variant.h"
#include "script/jit/BackgroundCompiler.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
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
    const std::function<void()>& ErrorHandler() const { return handler_; }
    const ScriptError& Error() const { return error_; }

    int32_t Prepare(std::string_view expression);
    Variant Evaluate(int32_t expression);
    double EvaluateNumber(int32_t expression);
    std::optional<double> LoneNumber(int32_t expression) const;
    void CompileAfterRuns(uint32_t runs) { compileAfterRuns_ = runs; }
    bool Mentions(int32_t expression, std::string_view name);
    bool Calls(int32_t expression, std::string_view function) const;
    const Environment& Names() const { return names_; }
    void CopyNamesFrom(const Environment& names);
    int32_t BindVariable(std::string_view name);
    void Assign(int32_t variable, double value);
    void Assign(std::span<const int32_t> variables, const double* values);
    bool AssignsPlainly(int32_t variable) const;
    bool MachineCodeReady(int32_t expression) const;
    void BatchOver(int32_t expression, int32_t variable);
    void LookUpMachineCode(int32_t expression);
    bool CompilingMachineCode() const { return compiler_->Busy(); }
    std::size_t EvaluateMany(int32_t expression, int32_t variable, std::span<const double> xs,
                             double* values, bool pointsAgain, double step);
    std::size_t EvaluateRounded(int32_t expression, int32_t variable, std::span<const double> xs,
                                const double* rounded, double* values);
    std::size_t EvaluateRoundedOver(int32_t expression, int32_t variable,
                                    std::span<const double> xs, const double* rounded,
                                    int32_t outerVariable, std::span<const double> outer,
                                    double* values);
    static std::size_t RoundPoints(std::span<const double> xs, double* rounded);
    const uint64_t& StatementsRun() const { return statementsRun_; }

private:
    // Where a bound variable's fast assignment stores; Text means the statement route.
    struct BoundVariable {
        std::string name;
        enum Kind { Text, Global, Storage, Member } kind = Text;
        int32_t index = 0;
        // The last value assigned and its rounding: the integrator assigns most variables
        // the same value again and again.
        uint64_t lastBits = ~uint64_t{0};
        double lastStored = 0.0;
        uint64_t storedAt = 0; // the statements count when lastStored was last stored
        // Holds the last value stored as long as no statement has run since.
        bool Holds(uint64_t bits, uint64_t statementsRun) const {
            return (kind == Global || kind == Storage) && bits == lastBits &&
                   storedAt == statementsRun;
        }
    };

    // Assign where the value's text reads back as a finite number (a property's own failure
    // aside): false, with nothing stored, where the statement must run instead.
    [[gnu::always_inline]] inline bool AssignAtOnce(BoundVariable& bound, double value);
    // Stores into the variable's plain slot; the address of the number stored.
    double* StorePlainly(const BoundVariable& bound, double stored);
    // Assign's routes other than the plain slot's, kept out of it: the integrator assigns at
    // nearly every point.
    [[gnu::noinline]] void AssignByStatement(const BoundVariable& bound, double value);
    [[gnu::noinline]] void AssignMember(const BoundVariable& bound, double value);
    jit::NumericFunction ReadyCode(int32_t expression) const;
    // The expression's batch function over the variable, where its machine code has one.
    jit::ManyFunction BatchFunction(int32_t expression, int32_t variable) const;
    // After a batch of EvaluateRounded with done of its points done.
    void HoldPoint(BoundVariable& bound, std::span<const double> xs, const double* rounded,
                   std::size_t done);
    jit::BatchVariable BatchBinding(int32_t variable) const;
    struct RoundedBatch {
        std::vector<double> points, rounded;
        std::size_t finite = 0;      // FinitePrefix of the two
        double step = 0;             // of a chain (EvaluateMany)
        std::vector<double> squares; // the batch functions' kept squares at its points
    };
    // Round15 of each point of a batch that may come again, as a kept batch of them had it.
    RoundedBatch& RoundAgain(std::span<const double> xs, double step);
    std::size_t EvaluateRounded(int32_t expression, int32_t variable, std::span<const double> xs,
                                const double* rounded, double* values,
                                std::vector<double>& squares);
    // Room for the kept squares of the expression's batch function (ready) at count points, made
    // in room: a kept batch's own, or squares_ for points that do not come again.
    double* Squares(int32_t expression, std::size_t count, std::vector<double>& room);

    const Program& Compiled(std::string_view text, SourceKind kind, Program& uncached);
    Variant Execute(const Program& program);
    [[noreturn]] void Fail(const Program& program, const ProgramError& error);

    Environment names_;
    std::deque<Program> programs_; // stable addresses: handles and the cache refer to them
    std::unordered_map<std::string, int32_t> statements_, expressions_;
    std::vector<BoundVariable> variables_;
    std::unordered_map<std::string, int32_t> variableHandles_; // by lower-case name
    uint64_t statementsRun_ = 1; // any statement may change a variable's stored value
    // How a prepared numeric expression has run.
    struct NumericRuns {
        const Program* program = nullptr;
        // The statements count when its variables were last seen to hold plain numbers; only a
        // statement can store anything else there.
        uint64_t numbersSeenAt = 0;
        uint32_t runs = 0;
        std::shared_ptr<const jit::PendingCode> code; // asked for once the expression is hot
        jit::BatchVariable batch; // the variable of EvaluateMany's batches, if any
    };

    std::vector<NumericRuns> numericRuns_; // by handle, beside programs_
    // Some milliseconds of evaluating: a compile takes some tens of milliseconds, which a
    // computation that ends meanwhile waits for when its engine goes, so that shorter
    // computations never ask for one.
    uint32_t compileAfterRuns_ = 50000;
    std::vector<Variant> stack_;
    // The roundings of the last few batches of points that come again: an inner level whose
    // limits are constant has the same batches at every outer point.
    std::deque<RoundedBatch> roundedBatches_; // the latest last
    std::size_t nextBatch_ = 0;               // where RoundAgain looks first
    std::vector<double> roundedPoints_;       // of a batch that does not come again
    std::vector<double> squares_;             // and its kept squares
    static constexpr std::size_t KeptBatches = 16;
    std::function<void()> handler_;
    ScriptError error_;
    jit::CompilerUse compiler_;
};

} // namespace vantrel
