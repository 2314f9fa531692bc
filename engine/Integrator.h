// The computation of the problem held in the state: the nested Boole rule with every limit and
// the integrand evaluated by the script engine, and the computation's failure report.
#pragma once

#include "engine/Dimension.h"
#include "engine/Reporter.h"
#include "script/ScriptControl.h"

#include <cstdint>
#include <vector>

namespace vantrel {

class Integrator {
public:
    // ierr is the main window's error variable; reporter shows the computation's reports.
    Integrator(Dimension& dim, ScriptControl& engine, Reporter& reporter, int32_t& ierr);

    // Computes level Level - 1 and every level inside it. On success Level is unchanged and
    // Integ(Level - 1) holds the integral; on failure ierr is not 0 and Level is that of the
    // failing level.
    void Compute();

    // Integrand evaluations made by this integrator so far.
    uint64_t Evaluations() const { return evaluations_; }

    // The evaluation policy of the scheme: variables, limits and integrand through the engine.
    void SetVars();
    double EvalLimit(int level, bool upper);
    double EvalF();
    bool MidpointReusable(int level) const { return reusable_[static_cast<std::size_t>(level)]; }

private:
    void Prepare();
    void Fail(int32_t number, const std::string& source, const std::string& description);

    Dimension& d_;
    ScriptControl& engine_;
    Reporter& reporter_;
    int32_t& ierr_;
    uint64_t evaluations_ = 0;

    std::vector<ScriptControl::VarHandle> vars_;
    std::vector<ScriptControl::ExprHandle> lower_, upper_;
    ScriptControl::ExprHandle equation_ = 0;
    std::vector<bool> reusable_; // by level: no limit inside reads a variable inside
};

} // namespace vantrel
