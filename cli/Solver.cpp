#include "cli/Solver.h"

#include "engine/Dimension.h"
#include "engine/IntegrateCommand.h"
#include "engine/Integrator.h"
#include "engine/NumberText.h"
#include "engine/ScriptEnvironment.h"
#include "engine/ScriptErrorReport.h"

#include <chrono>
#include <cmath>

namespace vantrel {

namespace {

// Remembers the first failure of a computation from the reports and the error records.
class FirstFailure : public Reporter {
public:
    explicit FirstFailure(Reporter& next) : next_(next) {}
    MsgResult Show(const Message& message) override {
        shown_ = true;
        return next_.Show(message);
    }
    void Note(int32_t number, const std::string& source, const std::string& description) {
        if (failure.number != 0) return;
        failure = {number, source, description};
    }
    bool Shown() const { return shown_; }
    SolveFailure failure;

private:
    Reporter& next_;
    bool shown_ = false;
};

} // namespace

void LoadProblem(Dimension& d, const ProblemRead& problem) {
    d.RecreateLevelArrays(problem.order);
    d.MaxError = problem.maxError;
    d.Equation = problem.integrand;
    for (int32_t L = 0; L < problem.order; ++L) {
        const LevelRecord& level = problem.levels[static_cast<std::size_t>(L)];
        d.VarNam[L] = level.name;
        d.LLText[L] = level.lower;
        d.ULText[L] = level.upper;
        d.MinSub[L] = level.minSub;
    }
}

SolveResult Solve(const ProblemRead& problem, Reporter& reporter, int threads,
                  const SolveProgress& progress, ProblemAhead* ahead) {
    Dimension d;
    ScriptControl engine;
    int32_t ierr = 0;
    FirstFailure reports(reporter);
    engine.SetErrorHandler([&] {
        const ScriptError& error = engine.Error();
        reports.Note(error.Number, error.Source, error.Description);
        ScriptControl1_Error(error, ierr, reports);
    });
    SetUpScriptEnvironment(engine, d.Funcs(), ierr);
    Integrator integrator(d, engine, reports, ierr);
    if (threads > 0) integrator.SetThreads(threads);
    if (ahead) {
        ahead->Begin(problem);
        integrator.SetAheadComputer(ahead);
    }

    SolveResult result;
    const auto start = std::chrono::steady_clock::now();
    if (progress)
        integrator.SetProgressPoll([&](uint64_t evaluations) {
            progress(integrator.Pass(), evaluations);
            return false;
        });
    const std::optional<double> value = Integrate(d, engine, problem.constants, ierr,
                                                  {.readProblem = [&] { LoadProblem(d, problem); },
                                                   .clearResult = [] {},
                                                   .compute = [&] { integrator.Compute(); }});
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.evaluations = integrator.Evaluations();
    if (value) {
        const auto outer = static_cast<std::size_t>(d.Order - 1);
        result.value = value;
        result.difference = std::fabs(d.Integ[outer] - d.PrevInteg[outer]);
        result.subintervals = d.NSub;
        return result;
    }
    // A failed constant has been noted by the engine's Error event already.
    reports.Note(ierr, SystemSource, StandardDescription(ierr));
    result.failure = reports.failure;
    result.reported = reports.Shown();
    return result;
}

std::string SaveSolved(const std::string& path, const ProblemRead& problem, double value) {
    ProblemToWrite shown;
    shown.order = problem.order;
    shown.maxError = LeadingNumber(GeneralNumber(problem.maxError));
    shown.computed = true;
    shown.integrand = problem.integrand;
    shown.constants = problem.constants;
    shown.integral = LeadingNumber(GeneralNumber(value));
    shown.levels = problem.levels;
    return WriteProblemFile(path, shown);
}

} // namespace vantrel
