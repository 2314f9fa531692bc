// The computation of the problem held in the state: the nested Boole rule with every limit and
// the integrand evaluated by the script engine, and the computation's failure report.
//
// Where a level's points are independent (no limit reads a variable of the problem, so no
// left-over value can change a value), the outermost level's points (or, where it has fewer
// points than threads, the next level's) are computed ahead on a pool of threads, each with its own
// state and engine; the scheme still takes them in its own order, so that a successful computation
// gives the sequential result and leaves the same values behind. Such a computation runs without
// reports; should it fail, the state it started from is restored and the computation made again
// sequentially, with the reports, ierr and the left-over values of the sequential failure. An
// AheadComputer given to the integrator (the solver's ranks of an MPI job) chooses the levels and
// computes their points instead, on its own and through ComputePoints on these threads.
#pragma once

#include "engine/AheadComputer.h"
#include "engine/Dimension.h"
#include "engine/Evaluation.h"
#include "engine/PointPool.h"
#include "engine/Progress.h"
#include "engine/Reporter.h"
#include "script/ScriptControl.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vantrel {

class Integrator {
public:
    // ierr is the main window's error variable; reporter shows the computation's reports.
    Integrator(Dimension& dim, ScriptControl& engine, Reporter& reporter, int32_t& ierr);
    ~Integrator();

    // Threads for the outermost level's points, the caller included; 1 computes sequentially.
    // The default is the machine's cores.
    void SetThreads(int threads);
    // Called on the computing thread every few milliseconds of computing with the number of
    // integrand evaluations so far; returning true cancels the computation, which then ends like
    // a failure without any report: ierr is 18 ("User interrupt occurred").
    void SetProgressPoll(Progress::Poll poll);
    // Computes ahead with ahead instead of the threads alone (nothing: the threads alone).
    void SetAheadComputer(AheadComputer* ahead) { ahead_ = ahead; }

    // Computes level Level - 1 and every level inside it. On success Level is unchanged and
    // Integ(Level - 1) holds the integral; on failure ierr is not 0 and Level is that of the
    // failing level.
    void Compute();

    // Integrand evaluations made by this integrator so far, on all threads and elsewhere.
    uint64_t Evaluations() const;

    // Computes level's value at each point on the threads, each thread starting from the state
    // the points share: the outer levels' values, the engine's variables and the added
    // functions' properties. A point whose computation failed is not ok.
    void ComputePoints(int level, std::span<const double> points, std::span<AheadValue> values);
    Dimension& State() { return d_; }

    // The evaluation policy of the scheme.
    void SetVars() { main_.SetVars(); }
    double EvalLimit(int level, bool upper) { return main_.EvalLimit(level, upper); }
    double EvalF() { return main_.EvalF(); }
    bool MidpointReusable(int level) const { return main_.MidpointReusable(level); }
    bool ComputesAhead(int level) const {
        if (ahead_) return parallel_ && ahead_->ComputesAhead(level, d_.Order);
        return parallel_ && (level == d_.Order - 1 || (innerAhead_ && level == d_.Order - 2));
    }
    void Ahead(int level, const std::vector<double>& points);
    bool TakeAhead(int level, double x, double& value);

private:
    struct Worker;

    enum class Outcome { Done, Failed, Cancelled };
    Outcome RunScheme(Reporter& reporter);
    void ComputeAhead();
    void PrepareWorkers();
    void Fail(Reporter& reporter, int32_t number, const std::string& source,
              const std::string& description);

    Dimension& d_;
    ScriptControl& engine_;
    Reporter& reporter_;
    int32_t& ierr_;
    Progress progress_;
    Evaluation main_;
    int threads_;
    bool parallel_ = false;
    AheadComputer* ahead_ = nullptr;
    bool workersReady_ = false; // prepared for the problem of this computation

    std::unique_ptr<PointPool> pool_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<double> aheadPoints_;
    std::vector<AheadValue> aheadValues_;
    std::size_t aheadNext_ = 0;
    int aheadLevel_ = -1;     // the level whose points aheadValues_ holds
    bool innerAhead_ = false; // the outer level's batch is too small: its inner level's instead
};

} // namespace vantrel
