#include "engine/Integrator.h"

#include "engine/BooleScheme.h"
#include "engine/ScriptErrorReport.h"

namespace vantrel {

Integrator::Integrator(Dimension& dim, ScriptControl& engine, Reporter& reporter, int32_t& ierr)
    : d_(dim), engine_(engine), reporter_(reporter), ierr_(ierr) {}

void Integrator::Prepare() {
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
    // Level L's values repeat at the same point unless a limit of level L or of an inner level
    // reads the variable of one of them, whose left-over value changes between evaluations.
    reusable_.assign(n, true);
    for (std::size_t L = 0; L < n; ++L) {
        bool reusable = L == 0 || reusable_[L - 1];
        for (std::size_t k = 0; k <= L && reusable; ++k)
            for (std::size_t j = 0; j <= L && reusable; ++j) {
                const bool newPair = k == L || j == L;
                if (newPair && (engine_.Mentions(lower_[k], d_.VarNam[j]) ||
                                engine_.Mentions(upper_[k], d_.VarNam[j])))
                    reusable = false;
            }
        reusable_[L] = reusable;
    }
}

void Integrator::Compute() {
    Prepare();
    BooleScheme<Integrator> scheme(d_, *this);
    try {
        scheme.Compute();
    } catch (const ScriptFailure& failure) {
        Fail(failure.Number, failure.Source, failure.Description);
    } catch (const RuntimeError& error) {
        Fail(error.Number, SystemSource, StandardDescription(error.Number));
    } catch (const ComputationError& error) {
        Fail(error.number, SystemSource, StandardDescription(error.number));
    }
}

void Integrator::Fail(int32_t number, const std::string& source, const std::string& description) {
    d_.TextBuf.clear();
    ReportComputationError(number, source, description, ierr_, reporter_);
}

void Integrator::SetVars() {
    for (int32_t k = 0; k < d_.Order; ++k)
        engine_.Assign(vars_[k], d_.VarVal[k]);
}

double Integrator::EvalLimit(int level, bool upper) {
    return engine_.EvaluateNumber(upper ? upper_[level] : lower_[level]);
}

double Integrator::EvalF() {
    SetVars();
    Class1& funcs = d_.Funcs();
    funcs.ierr = 0;
    ++evaluations_;
    const double value = engine_.EvaluateNumber(equation_);
    if (funcs.ierr != 0) throw RuntimeError(funcs.ierr);
    return value;
}

} // namespace vantrel
