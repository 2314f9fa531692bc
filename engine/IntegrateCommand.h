// The Integrate command's steps in their order, for every front end that computes a problem.
#pragma once

#include "engine/Dimension.h"
#include "script/ScriptControl.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct IntegrateSteps {
    // Copies the integrand, the limits, the minimum subintervals and the maximum error into the
    // state.
    std::function<void()> readProblem;
    // Empties the shown result.
    std::function<void()> clearResult;
    // Computes level Level - 1 and every level inside it, recording a failure in ierr.
    std::function<void()> compute;
};

// Executes the constants in list order; the first that fails ends the command (the engine's
// Error event has reported it and set ierr). Otherwise: readProblem, Level = Order, ierr = 0,
// clearResult, compute. Returns the integral, Integ(Level - 1), when ierr is 0 after the
// computation; nothing after a failure, whose result is left empty.
std::optional<double> Integrate(Dimension& d, ScriptControl& engine,
                                const std::vector<std::string>& constants, int32_t& ierr,
                                const IntegrateSteps& steps);

} // namespace vantrel
