#include "engine/IntegrateCommand.h"

#include "script/ScriptError.h"

namespace vantrel {

std::optional<double> Integrate(Dimension& d, ScriptControl& engine,
                                const std::vector<std::string>& constants, int32_t& ierr,
                                const IntegrateSteps& steps) {
    try {
        for (const std::string& constant : constants)
            engine.ExecuteStatement(constant);
    } catch (const ScriptFailure&) {
        steps.clearResult(); // no value, and none left from before
        return std::nullopt;
    }
    steps.readProblem();
    d.Level = d.Order;
    ierr = 0;
    steps.clearResult();
    steps.compute();
    if (ierr != 0) return std::nullopt;
    return d.Integ[static_cast<std::size_t>(d.Level - 1)];
}

} // namespace vantrel
