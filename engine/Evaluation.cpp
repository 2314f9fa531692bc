#include "engine/Evaluation.h"

#include "engine/IndependentPoints.h"
#include "script/ScriptError.h"

#include <algorithm>
#include <bit>

namespace vantrel {

Evaluation::Evaluation(Dimension& dim, ScriptControl& engine, Class1& funcs, Progress& progress)
    : d_(dim), engine_(engine), funcs_(funcs), progress_(progress),
      statementsRun_(engine.StatementsRun()) {}

void Evaluation::Prepare() {
    const auto n = static_cast<std::size_t>(d_.Order);
    vars_.resize(n);
    lower_.resize(n);
    upper_.resize(n);
    loneLimits_.resize(2 * n);
    for (std::size_t k = 0; k < n; ++k) {
        vars_[k] = engine_.BindVariable(d_.VarNam[k]);
        lower_[k] = engine_.Prepare(d_.LLText[k]);
        upper_[k] = engine_.Prepare(d_.ULText[k]);
        loneLimits_[2 * k] = engine_.LoneNumber(lower_[k]);
        loneLimits_[2 * k + 1] = engine_.LoneNumber(upper_[k]);
    }
    equation_ = engine_.Prepare(d_.Equation);
    if (n > 0) engine_.BatchOver(equation_, vars_[0]); // level 0's batches
    batchesAgain_ = n > 0 && loneLimits_[0] && loneLimits_[1];
    firstPoints_.clear();
    const std::vector<bool> independent = IndependentLevels(engine_, d_, lower_, upper_, equation_);
    independentLevels_ = static_cast<int>(std::count(independent.begin(), independent.end(), true));
    onlyChanged_ = n <= 64;
    for (std::size_t k = 0; k < n; ++k)
        onlyChanged_ = onlyChanged_ && engine_.AssignsPlainly(vars_[k]) &&
                       std::count(vars_.begin(), vars_.end(), vars_[k]) == 1;
    assigned_.assign(n, 0);
    assignedAt_ = 0; // no statements count: the first assignment is a whole one
}

void Evaluation::LookUpMachineCode() {
    engine_.LookUpMachineCode(equation_);
    for (std::size_t k = 0; k < vars_.size(); ++k) {
        if (!loneLimits_[2 * k]) engine_.LookUpMachineCode(lower_[k]);
        if (!loneLimits_[2 * k + 1]) engine_.LookUpMachineCode(upper_[k]);
    }
}

void Evaluation::SetVars() {
    const std::size_t n = vars_.size();
    if (!onlyChanged_ || assignedAt_ != statementsRun_) {
        engine_.Assign(vars_, d_.VarVal.data());
        for (std::size_t k = 0; k < n; ++k)
            assigned_[k] = std::bit_cast<uint64_t>(d_.VarVal[k]);
        assignedAt_ = statementsRun_;
        return;
    }
    // Usually only the two innermost values have changed (a new point of level 1 before level
    // 0's integral there): the others are compared at once, by their bits, and one by one only
    // where one of them differs.
    const std::size_t inner = std::min<std::size_t>(n, 2);
    uint64_t changed = ChangedIn(0, inner);
    uint64_t outerBits = 0;
    for (std::size_t k = inner; k < n; ++k)
        outerBits |= std::bit_cast<uint64_t>(d_.VarVal[k]) ^ assigned_[k];
    if (outerBits != 0) changed |= ChangedIn(inner, n);
    AssignChanged(changed);
}

void Evaluation::SetInnerVars(int level) {
    if (!onlyChanged_ || assignedAt_ != statementsRun_) {
        SetVars();
        return;
    }
    AssignChanged(ChangedIn(0, std::min(vars_.size(), static_cast<std::size_t>(level) + 2)));
}

uint64_t Evaluation::ChangedIn(std::size_t first, std::size_t end) const {
    uint64_t changed = 0;
    for (std::size_t k = first; k < end; ++k)
        changed |= uint64_t{std::bit_cast<uint64_t>(d_.VarVal[k]) != assigned_[k]} << k;
    return changed;
}

void Evaluation::AssignChanged(uint64_t changed) {
    if (changed == 0) return;
    for (; changed != 0; changed &= changed - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(changed));
        engine_.Assign(vars_[k], d_.VarVal[k]);
        assigned_[k] = std::bit_cast<uint64_t>(d_.VarVal[k]);
    }
    assignedAt_ = statementsRun_;
}

// Only this thread writes the count: no atomic addition is needed.
void Evaluation::Count(uint64_t done) {
    const uint64_t before = evaluations_.load(std::memory_order_relaxed);
    evaluations_.store(before + done, std::memory_order_relaxed);
    if ((before + done) / Progress::Batch != before / Progress::Batch) progress_.Check();
}

double Evaluation::EvalF() {
    Count(1);
    SetVars();
    funcs_.ierr = 0;
    const double value = engine_.EvaluateNumber(equation_);
    if (funcs_.ierr != 0) throw RuntimeError(funcs_.ierr);
    return value;
}

std::size_t Evaluation::EvalFMany(std::span<const double> xs, double* values, bool varsSet,
                                  double step) {
    if (xs.empty() || !onlyChanged_ || !engine_.MachineCodeReady(equation_)) return 0;
    // SetVars would find every value as it assigned it, unless a statement has run since.
    if (!varsSet || assignedAt_ != statementsRun_) SetVars();
    return Evaluated(xs,
                     engine_.EvaluateMany(equation_, vars_[0], xs, values, batchesAgain_, step));
}

std::size_t Evaluation::Evaluated(std::span<const double> xs, std::size_t done) {
    if (done == xs.size())
        assigned_[0] = std::bit_cast<uint64_t>(xs.back());
    else // the engine holds the point it stopped at or the one before: Assign sees which
        assignedAt_ = 0;
    Counted(done);
    return done;
}

void Evaluation::Counted(std::size_t done) {
    if (done == 0) return;
    funcs_.ierr = 0; // machine code calls no added function
    Count(done);
}

bool Evaluation::KeepFirstBatch(std::span<const double> xs) {
    if (!batchesAgain_) return false;
    firstPoints_.assign(xs.begin(), xs.end());
    firstRounded_.resize(xs.size());
    return ScriptControl::RoundPoints(xs, firstRounded_.data()) == xs.size();
}

std::size_t Evaluation::EvalFirstAgain(double* values) {
    SetInnerVars(0);
    if (!onlyChanged_ || assignedAt_ != statementsRun_) return 0;
    return Evaluated(firstPoints_, engine_.EvaluateRounded(equation_, vars_[0], firstPoints_,
                                                           firstRounded_.data(), values));
}

std::size_t Evaluation::EvalFirstAgainOver(std::span<const double> outer, double* values) {
    if (!onlyChanged_ || assignedAt_ != statementsRun_ || vars_.size() < 2 || firstPoints_.empty())
        return 0;
    const std::size_t done = engine_.EvaluateRoundedOver(
        equation_, vars_[0], firstPoints_, firstRounded_.data(), vars_[1], outer, values);
    if (done == outer.size()) {
        assigned_[0] = std::bit_cast<uint64_t>(firstPoints_.back());
        assigned_[1] = std::bit_cast<uint64_t>(outer.back());
    } else { // the engine holds a value of the point or the batch it stopped at, or not
        assignedAt_ = 0;
    }
    Counted(done * firstPoints_.size());
    return done;
}

void Evaluation::UnvisitF(std::size_t count) {
    evaluations_.store(evaluations_.load(std::memory_order_relaxed) - count,
                       std::memory_order_relaxed);
    SetVars();
}

} // namespace vantrel
