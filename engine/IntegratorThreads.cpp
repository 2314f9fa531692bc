// The integrator's pool of threads and their workers: the pool kept for the process, the workers
// prepared on their threads, and the points computed on them.
#include "engine/BatchMemory.h"
#include "engine/BooleScheme.h"
#include "engine/IntegratorWorker.h"
#include "engine/WorkingArrays.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace vantrel {

namespace {

// A pool thread makes the memory for the values of the points it is about to compute ready this
// many at a time: written point by point, each fresh page would cost a fault of several
// microseconds on a virtual machine.
constexpr std::size_t PreparedPoints = 4096;

// The pool's slots: one for each level's batch, and one for the outermost level's next refinement.
constexpr int Slots = Dimension::MaxOrder + 1;

} // namespace

// The C library reads the count from a file each time: once is enough, as it is asked for at
// every batch.
int Integrator::Cores() {
    static const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return cores;
}

Integrator::~Integrator() {
    KeepPool();
}

void Integrator::KeepPool() {
    if (!pool_) return;
    pool_->FinishEachThread();
    PointPool::Keep(std::move(pool_));
}

void Integrator::StartThreads(int threads) {
    threads = threads > 0 ? threads : Cores();
    if (threads == 1) return;
    std::unique_ptr<PointPool> pool = PointPool::TakeKept(threads, Slots);
    PointPool::Keep(pool ? std::move(pool) : std::make_unique<PointPool>(threads, Slots));
}

uint64_t Integrator::Evaluations() const {
    uint64_t total = main_.Evaluations();
    for (const Seat& seat : seats_)
        if (seat.held.load(std::memory_order_acquire) != 0)
            total += seat.worker->eval.Evaluations();
    if (ahead_) total += ahead_->Evaluations();
    return total;
}

// Once per computation, before the pool's first batch: each pool thread makes (once) and prepares
// its own worker, whose arrays then lie apart from what the other threads write at every point,
// while the calling thread goes on computing. A worker starts from the state the points share,
// the problem, the engine's names and variables as they stood and the added functions'
// properties; its SetVars gives every level's variable before anything reads it. A thread whose
// worker could not be prepared computes no point: the calling thread computes them.
void Integrator::StartWorkers() {
    if (!pool_ || pool_->Threads() != threads_) {
        KeepPool();
        seats_ = std::vector<Seat>(static_cast<std::size_t>(threads_));
        started_ = 0;
        pool_ = PointPool::TakeKept(threads_, Slots);
        if (!pool_) pool_ = std::make_unique<PointPool>(threads_, Slots);
    }
    if (started_ == computation_) return;
    started_ = computation_;
    if (parallel_) pool_->HoldApart(); // released as the computation ends
    pool_->OnEachThread([this, computation = computation_, start = StartHere()](int worker) {
        const auto index = static_cast<std::size_t>(worker - 1);
        try {
            PrepareWorker(index, start);
        } catch (...) {
            return;
        }
        seats_[index].held.store(computation, std::memory_order_release);
    });
}

bool Integrator::Holds(int worker) const {
    return seats_[static_cast<std::size_t>(worker - 1)].held.load(std::memory_order_relaxed) ==
           computation_;
}

Integrator::WorkerStart Integrator::StartHere() const {
    const Class1& funcs = d_.Funcs();
    return {engine_.CopyOfNames(), funcs.pi, funcs.halfpi, funcs.e, funcs.x};
}

void Integrator::PrepareWorker(std::size_t index, const WorkerStart& start) {
    std::unique_ptr<Worker>& worker = seats_[index].worker;
    if (!worker) worker = std::make_unique<Worker>(progress_);
    Dimension& w = worker->d;
    if (w.Order != d_.Order) w.RecreateLevelArrays(d_.Order);
    w.Equation = d_.Equation;
    w.MaxError = d_.MaxError;
    w.VarNam = d_.VarNam;
    w.LLText = d_.LLText;
    w.ULText = d_.ULText;
    w.MinSub = d_.MinSub;
    // The same names first: the texts then compile as they did here and share their code.
    worker->engine.CopyNamesFrom(*start.names);
    worker->eval.Prepare();
    Class1& own = w.Funcs();
    own.pi = start.pi;
    own.halfpi = start.halfpi;
    own.e = start.e;
    own.x = start.x;
}

void Integrator::PrepareCaller() {
    const int caller = threads_;
    StartWorkers();
    if (Holds(caller)) return;
    PrepareWorker(static_cast<std::size_t>(caller - 1), StartHere());
    seats_[static_cast<std::size_t>(caller - 1)].held.store(computation_,
                                                            std::memory_order_release);
}

void Integrator::PrepareForPoints() {
    PrepareCaller();
    seats_.back().worker->eval.LookUpMachineCode();
}

void Integrator::ComputePoints(int level, std::span<const double> outer,
                               std::span<const double> points, std::span<AheadValue> values,
                               std::span<double> writes) {
    const int caller = threads_;
    PrepareCaller();
    if (!seats_.back().worker->eval.Independent(level))
        throw std::logic_error("the points of a level that depends on earlier points");
    const std::size_t size = PointWrites::Size(level);
    const auto task = [&](std::size_t i, int worker) {
        if (Holds(worker))
            ComputeOn(*seats_[static_cast<std::size_t>(worker - 1)].worker, level, outer, points[i],
                      values[i], writes.data() + i * size);
        else
            values[i] = {};
    };
    pool_->Open(level, 0, points.size(), 1, task);
    for (std::size_t i = 0; i < points.size(); ++i)
        if (pool_->Take(level, i)) task(i, caller);
    pool_->Close(level);
}

// A thread computes its claim from the back: where it has just computed the next point and that
// point wrote every inner element, this point's writes need not be kept, as the scheme takes the
// next point right after this one (a computation that ends between them is made again or was
// cancelled). Most points of a large batch then write nothing to the batch's memory.
void Integrator::ComputePoint(Batch& batch, std::size_t index, int worker) {
    const int level = batch.level;
    AheadValue& ahead = batch.values[index];
    if (worker == static_cast<int>(seats_.size()) && !Holds(worker)) { // the caller, waiting
        try {
            PrepareCaller();
        } catch (...) {
        }
    }
    if (!Holds(worker)) {
        ahead = {};
        return;
    }
    Worker& w = *seats_[static_cast<std::size_t>(worker - 1)].worker;
    if (!(w.prepared.launch == batch.launch && index >= w.prepared.index)) {
        const std::size_t from = index >= PreparedPoints ? index + 1 - PreparedPoints : 0;
        PrepareBatchMemory(batch.values.data() + from, (index + 1 - from) * sizeof(AheadValue));
        w.prepared = {batch.launch, from};
    }
    const bool covered = w.lastFull == Worker::Point{batch.launch, index + 1};
    ComputeOn(w, level, batch.outer, w.PointOf(batch, index), ahead,
              covered ? nullptr : batch.writes.data() + index * PointWrites::Size(level));
    ahead.covered = covered && ahead.ok;
    w.lastFull = ahead.ok && PointWrites::Full(w.d, level) ? Worker::Point{batch.launch, index}
                                                           : Worker::Point{};
    if (ahead.ok && level == lastLevel_ &&
        !std::atomic_ref(batch.aside).load(std::memory_order_relaxed))
        outerPass_.DoneAhead();
}

void Integrator::ComputeOn(Worker& w, int level, std::span<const double> outer, double point,
                           AheadValue& ahead, double* writes) {
    ahead = {};
    std::copy(outer.begin(), outer.end(), w.d.VarVal.begin() + level + 1);
    PointWrites::Mark(w.d, level);
    w.recorded = 0;
    w.d.Funcs().ierr = UntouchedIerr;
    try {
        BooleScheme<Evaluation> scheme(w.d, w.eval);
        ahead.value = scheme.Value(level, point);
    } catch (...) {
        return; // computed again in order, where its failure is reported as it would be
    }
    if (!AheadValue::Records(w.recorded)) return;
    if (writes) PointWrites::Capture(w.d, level, writes);
    ahead.recorded = w.recorded;
    ahead.funcsIerr = w.d.Funcs().ierr;
    ahead.ok = true;
}

} // namespace vantrel
