// The computation of the problem held in the state: the nested Boole rule with every limit and
// the integrand evaluated by the script engine, and the computation's failure report.
//
// Where a level's points are independent (IndependentPoints.h), points of that level are
// computed ahead on a pool of threads, each with its own state and engine, while the scheme
// visits them in its own order on the calling thread: a value computed ahead is taken with what
// its computation wrote to the inner levels' working arrays, so that a successful computation
// gives the sequential result and leaves the same values behind. A level's batch of points goes
// to the pool only once a point of the level has shown that the rest is worth it; the outermost
// batches are the pool's first choice, and the calling thread takes part in the inner levels of
// the points it computes itself. Where the outermost level's refinement under way seems unlikely
// to complete the integral, the next one's points are set aside for the pool's threads for when
// they have nothing else to do. Such a computation runs without reports; should it fail, the
// state it started from is restored and the computation made again sequentially, with the
// reports, ierr and the left-over values of the sequential failure. An AheadComputer given to
// the integrator (the solver's ranks of an MPI job) chooses among the independent levels and
// computes their batches instead, on its own and through ComputePoints on these threads. The
// pool's threads are kept for the process, from one computation and one integrator to the next.
#pragma once

#include "engine/AheadComputer.h"
#include "engine/Dimension.h"
#include "engine/Evaluation.h"
#include "engine/OuterPass.h"
#include "engine/PointChain.h"
#include "engine/PointPool.h"
#include "engine/Progress.h"
#include "engine/Reporter.h"
#include "script/ScriptControl.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
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

    // Threads for the computation, the caller included; 1 computes sequentially. The default is
    // the machine's cores.
    void SetThreads(int threads);
    // Starts threads (0: the machine's cores) for the computations of this process to find
    // started: for a program that is about to compute, from when it starts. An integrator keeps
    // the threads it computed with for the next one, too.
    static void StartThreads(int threads);
    // A level's remaining points go to the pool once a point of the level shows that they take
    // at least this long on one thread (the default pays for waking the threads).
    void SetMinAheadWork(std::chrono::nanoseconds work);
    // Called on the computing thread every few milliseconds of computing with the number of
    // integrand evaluations so far; returning true cancels the computation, which then ends like
    // a failure without any report: ierr is 18 ("User interrupt occurred").
    void SetProgressPoll(Progress::Poll poll);
    // Computes ahead with ahead instead of the threads alone (nothing: the threads alone).
    void SetAheadComputer(AheadComputer* ahead) { ahead_ = ahead; }
    // For an AheadComputer that computes points on the computing thread (ComputePoints) while
    // others wait for its answers: Progress::SetService.
    void SetService(std::function<void()> service) { progress_.SetService(std::move(service)); }

    // Computes level Level - 1 and every level inside it. On success Level is unchanged and
    // Integ(Level - 1) holds the integral; on failure ierr is not 0 and Level is that of the
    // failing level.
    void Compute();

    // Integrand evaluations made by this integrator so far, on all threads and elsewhere.
    uint64_t Evaluations() const;
    // For an AheadComputer that waits on the computing thread: calls the progress poll when it
    // is due, and throws as an evaluation does once the computation is cancelled.
    void PollProgress() { progress_.Check(); }

    // Computes the independent level's value at each point on the threads, as a point computed
    // ahead: from the outer levels' variable values outer and the problem and engine variables
    // the state holds (for the current computation, if one is under way), each point's
    // PointWrites::Size(level) values of writes filled. A point whose computation failed is not
    // ok. Not to be called while the threads compute a batch of the same level.
    void ComputePoints(int level, std::span<const double> outer, std::span<const double> points,
                       std::span<AheadValue> values, std::span<double> writes);
    // Prepares what ComputePoints computes with, from the state as it stands, with the machine
    // code the code cache holds: for a caller with many points to compute (a process that waits
    // for them, a batch worth handing to other processes), whose first points then wait for none
    // of that.
    void PrepareForPoints();
    // The outermost level's pass under way; read it on the computing thread, from the poll.
    PassProgress Pass() const { return outerPass_.Current(); }

    // The evaluation policy of the scheme.
    void SetVars() { main_.SetVars(); }
    void SetInnerVars(int level) { main_.SetInnerVars(level); }
    double EvalLimit(int level, bool upper) { return main_.EvalLimit(level, upper); }
    double EvalF() { return main_.EvalF(); }
    std::size_t EvalFMany(std::span<const double> xs, double* values, bool varsSet, double step) {
        return main_.EvalFMany(xs, values, varsSet, step);
    }
    void UnvisitF(std::size_t count) { main_.UnvisitF(count); }
    bool KeepFirstBatch(std::span<const double> xs) { return main_.KeepFirstBatch(xs); }
    std::size_t EvalFirstAgain(double* values) { return main_.EvalFirstAgain(values); }
    std::size_t EvalFirstAgainOver(std::span<const double> outer, double* values) {
        return main_.EvalFirstAgainOver(outer, values);
    }
    bool MidpointReusable(int level) const { return main_.MidpointReusable(level); }
    // An integral per point is worth a thread; a single integrand evaluation is not.
    bool ComputesAhead(int level) const {
        return parallel_ && level >= std::max(1, quiet_) && main_.Independent(level) &&
               (threads_ > 1 || ahead_->ComputesAhead(level, d_.Order));
    }
    void Ahead(int level, std::span<const double> points);
    void AheadRefinement(int level, double first, double step, std::size_t count);
    // Until some of a batch's points have gone to the pool (or elsewhere), the scheme may compute
    // them all here at once, without the visits that time them.
    bool Pending(int level) const {
        const Batch& batch = Current(level);
        return batch.count > 0 && (batch.launched || batch.elsewhere);
    }
    // Called at every point of an outer level: what is not computed ahead returns at once.
    bool TakeAhead(int level, double x, double& value) {
        if (level == d_.LastLevel) outerPass_.Visit(d_, x);
        return level >= std::max(1, quiet_) && parallel_ && TakeComputed(level, x, value);
    }
    // The values computed ahead from x on, as far as they follow one another: looked for once the
    // point before was taken from ahead, not while the scheme's thread computes its own points.
    std::size_t TakeAheadRun(int level, double x, double step, std::span<double> values) {
        const Batch& batch = Current(level);
        return level >= std::max(1, quiet_) && (batch.launched || batch.elsewhere) &&
                       !batch.timedHere
                   ? TakeComputedRun(level, x, step, values)
                   : 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    struct Worker;
    // The points of one level about to be visited. It has cache lines of its own, apart from what
    // the pool's threads write, and what the calling thread writes at every point lies apart from
    // the points and arrays that the pool's threads read.
    struct alignas(64) Batch : AheadPoints {
        // A refinement's points are a chain; else, and where the AheadComputer computes them,
        // they are listed in points.
        PointChain chain;
        bool chained = false;
        std::size_t asked = 0; // the points the refinement asked for
        bool aside = false; // the outermost level's next refinement, set aside (read as an atomic)
        std::size_t count = 0;            // the points; 0 where none is taken from the batch
        uint64_t launch = 0;              // the last launch to the pool, numbered by launches_
        alignas(64) std::size_t next = 0; // the next point the scheme visits
        double nextPoint = 0;             // that point, in a chain
        bool launched = false;
        bool timedHere = false;      // the point started at visited is computed here
        Clock::time_point visited;   // when the last point timed was started
        bool elsewhere = false;      // computed whole by the AheadComputer, before any visit
        bool deferred = false;       // worth the pool, but held back while code compiles
        Clock::duration pointCost{}; // of a point of the level; zero while unknown
        Clock::time_point opened;    // when a batch to be timed whole was opened
        bool untimed = false;        // too small for the pool: its points are not timed
        int untimedLeft = 0;         // batches to go untimed before one is timed again
        std::size_t timedSize = 0;   // points of the last batch timed
    };

    enum class Outcome { Done, Failed, Cancelled };
    Outcome RunScheme(Reporter& reporter);
    void ComputeAhead();
    // Closes the level's batch, timed whole where it was computed here, and opens the next one
    // of count points, which are in place: now is when the last one was closed, if it was timed.
    Clock::time_point CloseBatch(int level);
    void OpenBatch(int level, std::size_t count, Clock::time_point now);
    void Launch(int level, std::size_t first);
    // Points of the batch that a thread claims at a time.
    static std::size_t Grain(const Batch& batch);
    // The outermost level's next refinement: set aside for the pool where it is likely to come,
    // and taken as the level's batch where it has.
    void SetAsideNext(int level);
    bool TakeAside(int level, double first, double step, std::size_t count);
    // Notes the outermost level's estimate before a refinement of count points ahead, and
    // whether the next one is likely to follow it.
    void ExpectRefinement(int level, std::size_t count);
    void ComputeElsewhere(int level);
    void ComputePoint(Batch& batch, std::size_t index, int worker);
    // The point's value on w, and what it wrote into writes unless that is nullptr.
    void ComputeOn(Worker& w, int level, std::span<const double> outer, double point,
                   AheadValue& value, double* writes);
    bool TakeComputed(int level, double x, double& value);
    std::size_t TakeComputedRun(int level, double x, double step, std::span<double> values);
    bool CompileTakesACore() const;
    // The machine's cores.
    static int Cores();
    // The least work of a batch that goes to the pool.
    Clock::duration LaunchWork() const;
    bool StartsPoolAhead(int level, Clock::duration work, Clock::time_point now) const;
    void ForgetEvaluatorCosts();
    void CloseBatches();
    void StartWorkers();
    // Gives the pool back to those kept for the process, once this integrator's workers are made.
    void KeepPool();
    // StartWorkers, and the caller of ComputePoints prepared as the pool's threads are.
    void PrepareCaller();
    // Whether the worker holds this computation's problem.
    bool Holds(int worker) const;
    // What a worker starts from besides the problem, taken on the computing thread, which goes on
    // changing it: the engine's names and the added functions' properties as they stand.
    struct WorkerStart {
        std::shared_ptr<const ScriptControl::Names> names;
        double pi, halfpi, e, x;
    };
    WorkerStart StartHere() const;
    void PrepareWorker(std::size_t index, const WorkerStart& start);
    void Fail(Reporter& reporter, int32_t number, const std::string& source,
              const std::string& description);

    Dimension& d_;
    ScriptControl& engine_;
    Reporter& reporter_;
    int32_t& ierr_;
    Progress progress_;
    OuterPass outerPass_;
    Evaluation main_;
    int threads_;
    Clock::duration minAheadWork_;
    bool parallel_ = false;
    AheadComputer* ahead_ = nullptr;
    // The levels below this one are left alone: a batch of this level is too small for the
    // pool, and so is all that one of its points holds.
    int quiet_ = 0;
    uint64_t started_ = 0;  // the computation the workers were last asked to take
    uint64_t launches_ = 0; // batches launched to the pool, over every computation

    // What the pool's threads read at every point, on cache lines apart from what the calling
    // thread writes as it goes (the object's size is a whole number of lines).
    alignas(64) uint64_t computation_ = 1; // numbers the computations with the threads
    int lastLevel_ = 0;                    // of this computation
    std::unique_ptr<PointPool> pool_;
    // The pool's threads 1, 2, ..., then the caller of ComputePoints, each on a cache line of its
    // own: its worker, made and prepared on its own thread, which then marks in held the
    // computation it holds (0 before it is made).
    struct alignas(64) Seat {
        std::atomic<uint64_t> held{0};
        std::unique_ptr<Worker> worker;
    };
    std::vector<Seat> seats_;
    // Kept with the room their points took from one computation to the next, so that a small
    // problem's computation ahead allocates nothing (fresh memory costs a page fault). Each is
    // the pool's slot of the same number. Level L's batch is batches_[at_[L]]; the one left over
    // is the outermost level's next refinement while it is set aside.
    std::array<Batch, Dimension::MaxOrder + 1> batches_;
    std::array<std::size_t, Dimension::MaxOrder> at_{};
    std::size_t aside_ = 0;
    Batch& Current(int level) { return batches_[at_[static_cast<std::size_t>(level)]]; }
    const Batch& Current(int level) const { return batches_[at_[static_cast<std::size_t>(level)]]; }
    int Slot(const Batch& batch) const { return static_cast<int>(&batch - batches_.data()); }
    // The outermost level's estimate before the refinement under way, and how far it was from
    // the one before it (not a number where unknown).
    double outerInteg_ = 0, outerDifference_ = 0;
    bool refinesAgain_ = false;
    Clock::time_point began_;        // the computation with the threads
    bool integrandCompiled_ = false; // the costs measured since are the machine code's
};

} // namespace vantrel
