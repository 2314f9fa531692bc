// Solves a problem file without the window, on the same engine, as the Integrate command would.
#pragma once

#include "engine/AheadComputer.h"
#include "engine/Dimension.h"
#include "engine/OuterPass.h"
#include "engine/Reporter.h"
#include "io/ProblemFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct SolveFailure {
    int32_t number = 0;
    std::string source;
    std::string description;
};

struct SolveResult {
    std::optional<double> value; // the integral, when the computation succeeded
    SolveFailure failure;        // the first failure otherwise
    bool reported = false;       // a report was shown for the failure
    uint64_t evaluations = 0;
    double seconds = 0; // computing time
    // When computed: the outermost level's last |estimate - previous estimate|, the one that
    // ended its refinement, and each level's subintervals at its last visit, level 0 first.
    double difference = 0;
    std::vector<int32_t> subintervals;
};

// Called on the computing thread every few milliseconds of computing.
using SolveProgress = std::function<void(const PassProgress& outerPass, uint64_t evaluations)>;

// Computes ahead elsewhere than on the solver's threads; told each problem before it is solved.
class ProblemAhead : public AheadComputer {
public:
    virtual void Begin(const ProblemRead& problem) = 0;
};

// Executes the constants in list order, then computes with the file's order, names, limits,
// minimum subintervals and maximum error. Every report goes to reporter. threads is the number of
// threads for the computation, 0 for the machine's cores; ahead, if given, computes ahead too.
SolveResult Solve(const ProblemRead& problem, Reporter& reporter, int threads = 0,
                  const SolveProgress& progress = {}, ProblemAhead* ahead = nullptr);

// The problem's order, names, limits, minimum subintervals and maximum error into the state.
void LoadProblem(Dimension& d, const ProblemRead& problem);

// Writes the problem back to path with its result, exactly as the window saves a problem that
// it opened and computed (the maximum error and the value as its fields show them, at most 15
// significant digits), through the same storage. Returns an empty text on success, else the
// reason; the file is then as it was.
std::string SaveSolved(const std::string& path, const ProblemRead& problem, double value);

} // namespace vantrel
