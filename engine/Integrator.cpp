#include "engine/Integrator.h"

#include "engine/BatchMemory.h"
#include "engine/BooleScheme.h"
#include "engine/IntegratorWorker.h"
#include "engine/ScriptErrorReport.h"
#include "engine/WorkingArrays.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace vantrel {

namespace {

using namespace std::chrono_literals;

// The pool's threads start with the program. Waking them costs the calling thread some tens of
// microseconds, and each then takes a tenth of a millisecond or so to prepare its engine while the
// calling thread computes on: a first batch must promise a fifth of a millisecond (with a third,
// the simplex's and the box's pools were ready only after 0.8 ms). A later one keeps a thread from
// idling where it is worth a few wakings: inside the order-10 box the batches of level 5 take 0.2
// to 0.3 ms, and with a threshold of a quarter of a millisecond some went to the pool and some not,
// which left its thread out of work for a sixth of the time.
constexpr auto MinAheadWork = 100us;
constexpr int64_t FirstBatchFactor = 2;
// A pool thread that has just run out of work watches for a batch, and one opened then needs no
// waking: a quarter of the usual work is then worth it. In the order-10 box the pool's thread idled
// while the scheme's thread computed a batch's last point, whose inner batches (80 µs) stayed below
// the threshold.
constexpr int64_t WatchedBatchShare = 4;
// Points at the start of a batch that are timed: the first point of a level may be far cheaper
// than the rest (the vertex of a simplex).
constexpr std::size_t TimedPoints = 2;
// Points claimed at a time, so that cheap points do not meet at the pool's lock one by one.
constexpr auto ClaimWork = 20us;
// A level whose batches cost less than half the pool's start has only every so many of its
// batches timed, enough to notice that its points have become costlier, and the levels inside it
// see no batch meanwhile. Timed, such a batch went to the pool only where a thread watched for
// work, and its readings of the clock (some tens of nanoseconds, as much as a point of the box)
// and the batches opened at every point inside it cost the scheme's thread more than that gave:
// with an eighth instead of half, the order-10 box took 1.3 % longer on two threads, the simplex
// 0.2 to 0.6 %.
constexpr int64_t SmallBatchShare = 2;
constexpr int UntimedBatches = 15;

// The points the scheme visits are compared by their bits: they are made by the same operations.
bool SameBits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

} // namespace

Integrator::Integrator(Dimension& dim, ScriptControl& engine, Reporter& reporter, int32_t& ierr)
    : d_(dim), engine_(engine), reporter_(reporter), ierr_(ierr),
      main_(dim, engine, dim.Funcs(), progress_), threads_(Cores()), minAheadWork_(MinAheadWork) {}

void Integrator::SetThreads(int threads) {
    threads_ = std::max(1, threads);
}

void Integrator::SetMinAheadWork(std::chrono::nanoseconds work) {
    minAheadWork_ = work;
}

void Integrator::SetProgressPoll(Progress::Poll poll) {
    progress_.SetPoll(std::move(poll), [this] { return Evaluations(); });
}

void Integrator::Compute() {
    main_.Prepare();
    parallel_ = (threads_ > 1 || ahead_) && d_.Order >= 2 && main_.Independent(1);
    if (parallel_)
        ComputeAhead();
    else
        RunScheme(reporter_);
}

void Integrator::ComputeAhead() {
    ++computation_;
    began_ = Clock::now();
    integrandCompiled_ = main_.IntegrandCompiled();
    lastLevel_ = d_.LastLevel;
    quiet_ = 0;
    std::fill(batches_.begin(), batches_.end(), Batch{});
    for (std::size_t level = 0; level < at_.size(); ++level)
        at_[level] = level;
    aside_ = Dimension::MaxOrder;
    outerInteg_ = outerDifference_ = std::numeric_limits<double>::quiet_NaN();
    const WorkingArrays before(d_);
    const int32_t ierrBefore = ierr_, levelBefore = d_.Level, funcsIerrBefore = d_.Funcs().ierr;
    const auto handler = engine_.ErrorHandler();
    engine_.SetErrorHandler({});
    SilentReporter silent;
    const auto end = [&] {
        // What the pool's threads compute now is not wanted: the next refinement set aside
        // where the integral is complete, else what follows the failure.
        progress_.DropOthersWork(true);
        CloseBatches();
        progress_.DropOthersWork(false);
        if (pool_) pool_->Release();
        engine_.SetErrorHandler(handler);
        parallel_ = false;
    };
    Outcome outcome;
    try {
        outcome = RunScheme(silent);
    } catch (...) { // from the AheadComputer
        end();
        throw;
    }
    end();
    // In order, each visit of a point is followed by an assignment of the variables to the
    // engine (an evaluation's, or the inner limits'), so that the engine ends holding the values
    // the variables end with; where the last points were taken from the threads, the engine is
    // assigned them here.
    if (outcome == Outcome::Done) main_.SetVars();
    if (outcome != Outcome::Failed) return;
    before.Restore(d_);
    ierr_ = ierrBefore;
    d_.Funcs().ierr = funcsIerrBefore;
    d_.Level = levelBefore;
    RunScheme(reporter_);
}

Integrator::Outcome Integrator::RunScheme(Reporter& reporter) {
    BooleScheme<Integrator> scheme(d_, *this);
    outerPass_.Reset();
    try {
        scheme.Compute();
        return Outcome::Done;
    } catch (const ScriptFailure& failure) {
        Fail(reporter, failure.Number, failure.Source, failure.Description);
    } catch (const RuntimeError& error) {
        Fail(reporter, error.Number, SystemSource, StandardDescription(error.Number));
    } catch (const ComputationError& error) {
        Fail(reporter, error.number, SystemSource, StandardDescription(error.number));
    } catch (const ComputationCancelled&) {
        d_.TextBuf.clear();
        ierr_ = UserInterrupt;
        return Outcome::Cancelled;
    }
    return Outcome::Failed;
}

void Integrator::Fail(Reporter& reporter, int32_t number, const std::string& source,
                      const std::string& description) {
    d_.TextBuf.clear();
    ReportComputationError(number, source, description, ierr_, reporter);
}

void Integrator::CloseBatches() {
    for (Batch& batch : batches_)
        if (batch.launched) {
            pool_->Close(Slot(batch));
            batch.launched = false;
        }
}

void Integrator::Ahead(int level, std::span<const double> points) {
    const Clock::time_point now = CloseBatch(level);
    Batch& batch = Current(level);
    batch.chained = false;
    batch.points.assign(points.begin(), points.end());
    OpenBatch(level, points.size(), now);
}

void Integrator::AheadRefinement(int level, double first, double step, std::size_t count) {
    const Clock::time_point now = CloseBatch(level);
    if (level == d_.LastLevel) ExpectRefinement(level, count);
    if (TakeAside(level, first, step, count)) return;
    Batch& batch = Current(level);
    batch.chained = true;
    batch.asked = count;
    batch.chain.Assign(first, step, count); // made where it goes to the threads or elsewhere
    batch.nextPoint = first;
    OpenBatch(level, count, now);
}

Integrator::Clock::time_point Integrator::CloseBatch(int level) {
    Batch& batch = Current(level);
    // A batch computed here whole gives the mean cost of its points, which its first points
    // (those timed) may show far too low where points cost more the further they lie from the
    // level's lower limit (a level inside a simplex).
    Clock::time_point now{};
    if (!batch.launched && batch.opened != Clock::time_point{} && batch.count > 0) {
        now = Clock::now();
        batch.pointCost =
            std::max(batch.pointCost, (now - batch.opened) / static_cast<int64_t>(batch.count));
    }
    batch.opened = {};
    if (batch.launched) pool_->Close(Slot(batch));
    batch.launched = false;
    return now;
}

void Integrator::OpenBatch(int level, std::size_t count, Clock::time_point now) {
    if (level == d_.LastLevel) outerPass_.BeginAhead(d_, count);
    Batch& batch = Current(level);
    batch.count = count;
    batch.next = 0;
    batch.timedHere = false;
    batch.elsewhere =
        ahead_ && ahead_->ComputesAhead(level, d_.Order) && ahead_->Takes(level, count);
    quiet_ = 0;
    batch.deferred = false;
    if (batch.elsewhere) {
        if (batch.chained) {
            batch.chain.List(batch.points);
            batch.count = batch.points.size();
        }
        ComputeElsewhere(level);
        return;
    }
    if (threads_ == 1) { // computed in order, as the scheme visits it
        batch.count = 0;
        return;
    }
    ForgetEvaluatorCosts();
    const Clock::duration cost = batch.pointCost;
    const auto work = cost * static_cast<int64_t>(count);
    batch.untimed = false;
    if (cost > Clock::duration::zero() && work * SmallBatchShare < minAheadWork_ &&
        count <= batch.timedSize) {
        batch.untimed = batch.untimedLeft > 0;
        batch.untimedLeft = batch.untimed ? batch.untimedLeft - 1 : UntimedBatches;
    }
    if (batch.untimed) { // nothing of it is computed ahead: TakeComputed takes no point
        batch.count = 0;
        quiet_ = level;
        // The levels inside see no batch while this one is quiet: none of theirs is timed whole
        // across that time.
        for (int inner = 0; inner < level; ++inner)
            Current(inner).opened = {};
        return;
    }
    batch.timedSize = count;
    batch.opened = now != Clock::time_point{} ? now : Clock::now();
    if (cost == Clock::duration::zero() || CompileTakesACore()) return;
    if (work >= LaunchWork())
        Launch(level, 0);
    else if (StartsPoolAhead(level, work, batch.opened))
        StartWorkers();
}

// The pool's threads take about a tenth of a millisecond to wake and prepare their workers. Where
// the outermost level's next refinement is expected and the one after it would be worth them,
// they start now, so that they are ready as the next one comes, which a started pool takes (the
// kink's pool was ready at 0.47 ms with one refinement's start, and took its first points at 0.56
// ms, against 0.39 with two); only once the computation has run as long as a first batch
// promises, so that a problem of a few tenths of a millisecond does not pay for threads it ends
// without.
bool Integrator::StartsPoolAhead(int level, Clock::duration work, Clock::time_point now) const {
    return level == d_.LastLevel && refinesAgain_ && !ahead_ && 4 * work >= LaunchWork() &&
           now - began_ >= LaunchWork();
}

// The costs measured while the integrand ran on the evaluator, or that take in the load of its
// machine code (a tenth of a millisecond), are those of another program: kept, they sent batches
// of a problem of half a millisecond to a pool that was ready only as it ended. A batch timed whole
// is timed from now on (the simplex's first outer batch, whose first points are its cheapest).
void Integrator::ForgetEvaluatorCosts() {
    if (integrandCompiled_ || !main_.IntegrandCompiled()) return;
    integrandCompiled_ = true;
    const Clock::time_point now = Clock::now();
    for (Batch& batch : batches_) {
        batch.pointCost = {};
        if (batch.opened != Clock::time_point{}) batch.opened = now;
        batch.timedHere = false;
    }
}

Integrator::Clock::duration Integrator::LaunchWork() const {
    if (pool_ && pool_->Watching()) return minAheadWork_ / WatchedBatchShare;
    return pool_ ? minAheadWork_ : minAheadWork_ * FirstBatchFactor;
}

// While machine code is being compiled and every core has a thread of the computation, the
// compile takes a core from them and the evaluator runs at half the code's speed until it is
// done: the pool's threads wait for it, so that it is done sooner.
bool Integrator::CompileTakesACore() const {
    return threads_ >= Cores() && engine_.CompilingMachineCode();
}

double AheadValue::TakeInto(Dimension& d, int level, const double* writes, int32_t& ierr) const {
    if (!covered) PointWrites::Apply(writes, level, d);
    if (recorded != 0) ierr = recorded;
    if (funcsIerr != UntouchedIerr) d.Funcs().ierr = funcsIerr;
    return value;
}

// Room is cleared before it grows, so that nothing is copied into it.
void AheadPoints::MakeRoom(std::size_t count) {
    const std::size_t size = PointWrites::Size(level);
    values.clear();
    writes.clear();
    if (values.capacity() < count) values.reserve(BatchRoom(count));
    if (writes.capacity() < count * size) writes.reserve(BatchRoom(count) * size);
    values.resize(count);
    writes.resize(count * size);
}

std::size_t Integrator::Grain(const Batch& batch) {
    return static_cast<std::size_t>(ClaimWork / std::max(batch.pointCost, Clock::duration(1)));
}

void Integrator::ComputeElsewhere(int level) {
    Batch& batch = Current(level);
    const std::size_t count = batch.points.size();
    batch.level = level;
    batch.outer.assign(d_.VarVal.begin() + level + 1, d_.VarVal.end());
    batch.MakeRoom(count);
    ahead_->Compute(*this, batch);
    if (level == d_.LastLevel)
        for (std::size_t i = 0; i < count; ++i)
            outerPass_.DoneAhead();
}

void Integrator::Launch(int level, std::size_t first) {
    StartWorkers();
    Batch& batch = Current(level);
    if (batch.chained) {
        batch.chain.Make();
        batch.count = batch.chain.Size(); // fewer where a point is not finite: the visits end there
    }
    const std::size_t count = batch.count;
    batch.level = level;
    batch.outer.assign(d_.VarVal.begin() + level + 1, d_.VarVal.end());
    batch.MakeRoom(count);
    batch.launch = ++launches_;
    pool_->Open(
        Slot(batch), first, count, Grain(batch),
        [this, &batch](std::size_t index, int worker) { ComputePoint(batch, index, worker); });
    batch.launched = true;
    if (batch.chained && level == d_.LastLevel) SetAsideNext(level);
}

// Where the refinement under way is likely to leave the integral unfinished: the grid is still
// coarser than the least asked for, or the estimates' difference is expected to stay at least the
// error allowed, each difference as much smaller than the one before as the last one was (a
// sixteenth where that is not known yet).
void Integrator::ExpectRefinement(int level, std::size_t count) {
    const double difference = std::fabs(d_.Integ[level] - outerInteg_);
    const double shrinks =
        outerDifference_ > 0 ? std::min(1.0, difference / outerDifference_) : 1.0 / 16;
    outerInteg_ = d_.Integ[level];
    outerDifference_ = difference;
    refinesAgain_ = 2 * count < static_cast<std::size_t>(d_.MinSub[level]) ||
                    !(difference * shrinks < d_.MaxError);
}

// The outermost level's batches are the pool's; while the calling thread computes the last point
// of one that is left, the pool's threads, done with theirs, have nothing to do but the small
// batches of the levels inside it (the simplex's last outer points take milliseconds). Where a
// point takes as long as a batch worth the pool, they then compute the next refinement's points
// instead, from its last ones, which the scheme visits next unless this refinement completes the
// integral. (Where points are cheap, the room for the next refinement's values would be fresh
// memory for little.)
void Integrator::SetAsideNext(int level) {
    const Batch& batch = Current(level);
    Batch& next = batches_[aside_];
    if (next.launched || !refinesAgain_ || ahead_ || batch.pointCost < minAheadWork_) return;
    const double step = batch.chain.Step() / 2; // the scheme's halving of H
    next.chained = true;
    next.asked = 2 * batch.asked;
    next.nextPoint = step / 2 + d_.LLVal[level];
    next.chain.Assign(next.nextPoint, step, next.asked);
    next.chain.Make();
    next.count = next.chain.Size();
    next.level = level;
    next.outer.assign(d_.VarVal.begin() + level + 1, d_.VarVal.end());
    next.MakeRoom(next.count);
    next.launch = ++launches_;
    next.next = 0;
    next.timedHere = next.deferred = next.untimed = next.elsewhere = false;
    next.opened = {};
    next.aside = true;
    pool_->Open(
        Slot(next), 0, next.count, Grain(batch),
        [this, &next](std::size_t index, int worker) { ComputePoint(next, index, worker); }, true);
    next.launched = true;
}

// The refinement set aside becomes the level's batch where it is the one the scheme asks for.
bool Integrator::TakeAside(int level, double first, double step, std::size_t count) {
    Batch& next = batches_[aside_];
    if (!next.launched || level != next.level) return false;
    if (count != next.asked || !SameBits(step, next.chain.Step()) ||
        !SameBits(first, next.nextPoint)) {
        pool_->Close(Slot(next));
        next.launched = false;
        return false;
    }
    const Batch& batch = Current(level);
    next.pointCost = batch.pointCost;
    next.untimedLeft = batch.untimedLeft;
    next.timedSize = next.count;
    std::atomic_ref(next.aside).store(false, std::memory_order_relaxed);
    pool_->Adopt(Slot(next));
    std::swap(at_[static_cast<std::size_t>(level)], aside_);
    outerPass_.BeginAhead(d_, count);
    quiet_ = 0;
    SetAsideNext(level);
    return true;
}

bool Integrator::TakeComputed(int level, double x, double& value) {
    Batch& batch = Current(level);
    if (batch.next >= batch.count ||
        !SameBits(batch.chained ? batch.nextPoint : batch.points[batch.next], x))
        return false;
    const std::size_t index = batch.next++;
    if (batch.chained) batch.nextPoint = batch.chain.Step() + batch.nextPoint;
    if (!batch.elsewhere) { // else computed whole before the batch's first visit
        if (batch.untimed) return false;
        if (!batch.launched && index > TimedPoints && !batch.deferred) return false;
        if (index <= TimedPoints) {
            // The level's cost of a point: the costlier of a batch's first points computed here,
            // or half the last batch's where that is more, so that a level whose points cost more
            // the further they lie from its first ones keeps to the pool, while a point that was
            // slowed by the rest of the machine soon counts no more.
            ForgetEvaluatorCosts();
            const Clock::time_point now = Clock::now();
            if (index > 0 && batch.timedHere) {
                const Clock::duration cost = now - batch.visited;
                batch.pointCost =
                    std::max(cost, index == 1 ? batch.pointCost / 2 : batch.pointCost);
            }
            batch.visited = now;
        }
        if (!batch.launched) {
            const auto rest = static_cast<int64_t>(batch.count - index);
            batch.timedHere = true;
            if (index == 0 || batch.pointCost * rest < LaunchWork()) return false;
            batch.deferred = CompileTakesACore();
            if (batch.deferred) return false;
            Launch(level, index);
        }
        batch.timedHere = pool_->Take(Slot(batch), index);
        if (batch.timedHere) return false;
    }
    const AheadValue& ahead = batch.values[index];
    if (!ahead.ok) { // evaluated here: the computation fails at this point
        batch.timedHere = true;
        return false;
    }
    value =
        ahead.TakeInto(d_, level, batch.writes.data() + index * PointWrites::Size(level), ierr_);
    return true;
}

// Past the points timed, the values of a batch computed ahead that follow one another from the
// next visit on, taken as TakeComputed takes them one by one.
std::size_t Integrator::TakeComputedRun(int level, double x, double step,
                                        std::span<double> values) {
    Batch& batch = Current(level);
    const std::size_t first = batch.next;
    if (!batch.chained || !(batch.launched || batch.elsewhere) || first <= TimedPoints ||
        first >= batch.count || !SameBits(x, batch.nextPoint) ||
        !SameBits(step, batch.chain.Step()))
        return 0;
    std::size_t count = std::min(values.size(), batch.count - first);
    if (batch.launched) count = pool_->Computed(Slot(batch), first, count);
    const std::size_t size = PointWrites::Size(level);
    for (std::size_t k = 0; k < count; ++k) {
        const AheadValue& ahead = batch.values[first + k];
        if (!ahead.ok) { // evaluated in order: the computation fails there
            count = k;
            break;
        }
        values[k] = ahead.TakeInto(d_, level, batch.writes.data() + (first + k) * size, ierr_);
    }
    if (count == 0) return 0;
    if (level == d_.LastLevel) outerPass_.Visit(d_, x, static_cast<int32_t>(count));
    batch.next += count;
    for (std::size_t k = 0; k < count; ++k)
        batch.nextPoint = step + batch.nextPoint;
    return count;
}

} // namespace vantrel
