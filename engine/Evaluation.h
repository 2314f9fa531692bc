// The evaluation policy of the Boole scheme on a script engine: the variables assigned through
// the engine's fast assignment, the limits and the integrand as prepared expressions.
#pragma once

#include "engine/Dimension.h"
#include "engine/Progress.h"
#include "script/Class1.h"
#include "script/ScriptControl.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vantrel {

class Evaluation {
public:
    Evaluation(Dimension& dim, ScriptControl& engine, Class1& funcs, Progress& progress);

    // Binds the variables and prepares the texts of the problem in the state.
    void Prepare();
    // Takes the prepared texts' machine code from the code cache now where it is there.
    void LookUpMachineCode();

    void SetVars();
    // SetVars where the variables of the levels from level + 2 on are as the last SetVars left
    // them (BooleScheme.h).
    void SetInnerVars(int level);
    double EvalLimit(int level, bool upper) {
        const std::optional<double>& lone =
            loneLimits_[2 * static_cast<std::size_t>(level) + upper];
        return lone ? *lone : engine_.EvaluateNumber(upper ? upper_[level] : lower_[level]);
    }
    double EvalF();
    // EvalF at each of level 0's points xs in order, as far as the engine's machine code goes:
    // the values of the points done, counted as evaluations; varsSet as in BooleScheme.h.
    // UnvisitF takes the count of the last points done back where the computation ended before
    // visiting them; the variable then holds the last point visited again.
    std::size_t EvalFMany(std::span<const double> xs, double* values, bool varsSet, double step);
    void UnvisitF(std::size_t count);
    // Level 0's first batch, where its points come again at every point of level 1 (level 0's
    // limits are lone numbers): KeepFirstBatch keeps the points with their stored values, and
    // EvalFirstAgain evaluates them again at a new point of level 1, as SetInnerVars(0) and
    // EvalFMany(points, values, true) would.
    bool KeepFirstBatch(std::span<const double> xs);
    std::size_t EvalFirstAgain(double* values);
    // EvalFirstAgain at each of level 1's points outer in turn, as the scheme's visits there
    // would make it, where the variables are as the last SetInnerVars(1) gave them: how many of
    // the points are done whole, the values of each KeepFirstBatch's count apart.
    std::size_t EvalFirstAgainOver(std::span<const double> outer, double* values);
    // Whether a point of the level is a pure function of the outer variables (IndependentPoints.h).
    bool Independent(int level) const { return level < independentLevels_; }
    bool MidpointReusable(int level) const { return Independent(level); }

    // Whether the integrand runs as machine code (else on the evaluator, some ten times slower).
    bool IntegrandCompiled() const { return engine_.MachineCodeReady(equation_); }

    // Read on any thread.
    uint64_t Evaluations() const { return evaluations_.load(std::memory_order_relaxed); }

private:
    void Count(uint64_t done);
    // EvalFMany's bookkeeping once the engine has evaluated done of the points xs.
    std::size_t Evaluated(std::span<const double> xs, std::size_t done);
    // The evaluations done are counted, and ierr left as they leave it.
    void Counted(std::size_t done);
    // Bit k set where the value of level k, first <= k < end, is not the one last assigned.
    uint64_t ChangedIn(std::size_t first, std::size_t end) const;
    // Assigns the variables of the levels whose bits are set.
    void AssignChanged(uint64_t changed);

    Dimension& d_;
    ScriptControl& engine_;
    Class1& funcs_;
    Progress& progress_;
    std::atomic<uint64_t> evaluations_{0};

    std::vector<ScriptControl::VarHandle> vars_;
    std::vector<ScriptControl::ExprHandle> lower_, upper_;
    // By level, lower then upper: the value of a limit that is a lone number, known at once.
    std::vector<std::optional<double>> loneLimits_;
    ScriptControl::ExprHandle equation_ = 0;
    int independentLevels_ = 0; // levels 0 to this one less, as the inner ones of one are
    // Level 0's batches come again at every outer point: its limits are lone numbers.
    bool batchesAgain_ = false;
    std::vector<double> firstPoints_, firstRounded_; // KeepFirstBatch's
    // The bits of the values last assigned, and the engine's statements count then. Where every
    // variable is plain and has a name of its own, only a changed value needs assigning again.
    std::vector<uint64_t> assigned_;
    uint64_t assignedAt_ = 0;
    const uint64_t& statementsRun_; // the engine's count
    bool onlyChanged_ = false;
};

} // namespace vantrel
