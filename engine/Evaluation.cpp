#include "engine/Evaluation.h"

#include "engine/IndependentPoints.h"
#include "script/ScriptError.h"

namespace vantrel {

Evaluation::Evaluation(Dimension& dim, ScriptControl& engine, Class1& funcs, Progress& progress)
    : d_(dim), engine_(engine), funcs_(funcs), progress_(progress) {}

void Evaluation::Prepare() {
    const auto n = static_cast<std::size_t>(d_.Order);
    vars_.resize(n);
    lower_.resize(n);
    upper_.resize(n);
    for (std::size_t k = 0; k < n; ++k) {
        vars_[k] = engine_.BindVariable(d_.VarNam[k]);
        lower_[k] = engine_.Prepare(d_.LLText[k]);
        upper_[k] = engine_.Prepare(d_.ULText[k]);
    }
    equation_ = engine_.Prepare(d_.Equation);
    independent_ = IndependentLevels(engine_, d_, lower_, upper_, equation_);
}

void Evaluation::SetVars() {
    for (int32_t k = 0; k < d_.Order; ++k)
        engine_.Assign(vars_[k], d_.VarVal[k]);
}

double Evaluation::EvalLimit(int level, bool upper) {
    return engine_.EvaluateNumber(upper ? upper_[level] : lower_[level]);
}

double Evaluation::EvalF() {
    if (++evaluations_ % Progress::Batch == 0) progress_.Count(Progress::Batch);
    SetVars();
    funcs_.ierr = 0;
    const double value = engine_.EvaluateNumber(equation_);
    if (funcs_.ierr != 0) throw RuntimeError(funcs_.ierr);
    return value;
}

} // namespace vantrel
