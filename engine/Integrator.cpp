#include "engine/Integrator.h"

#include "engine/BooleScheme.h"
#include "engine/ScriptEnvironment.h"
#include "engine/ScriptErrorReport.h"

#include <algorithm>
#include <array>
#include <bit>
#include <thread>

namespace vantrel {

// One thread's own copy of the problem, engine and added functions.
struct Integrator::Worker {
    explicit Worker(Progress& progress) : eval(d, engine, d.Funcs(), progress) {
        SetUpScriptEnvironment(engine, d.Funcs(), recorded);
    }
    Dimension d;
    ScriptControl engine;
    int32_t recorded = 0;
    Evaluation eval;
};

Integrator::Integrator(Dimension& dim, ScriptControl& engine, Reporter& reporter, int32_t& ierr)
    : d_(dim), engine_(engine), reporter_(reporter), ierr_(ierr),
      main_(dim, engine, dim.Funcs(), progress_),
      threads_(static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))) {}

Integrator::~Integrator() = default;

void Integrator::SetThreads(int threads) {
    threads_ = std::max(1, threads);
}

void Integrator::SetProgressPoll(Progress::Poll poll) {
    progress_.SetPoll(std::move(poll));
}

uint64_t Integrator::Evaluations() const {
    uint64_t total = main_.Evaluations();
    for (const auto& worker : workers_)
        total += worker->eval.Evaluations();
    if (ahead_) total += ahead_->Evaluations();
    return total;
}

namespace {

// The working arrays, which a failed computation ahead must leave as it found them.
struct WorkingArrays {
    explicit WorkingArrays(const Dimension& d)
        : nsub(d.NSub), numbers{d.VarVal, d.LLVal, d.ULVal, d.H,     d.FA,        d.FB,
                                d.Sum7,   d.Sum12, d.Sum14, d.Sum32, d.PrevInteg, d.Integ} {}
    void Restore(Dimension& d) const {
        d.NSub = nsub;
        std::vector<double>* arrays[] = {&d.VarVal, &d.LLVal, &d.ULVal,     &d.H,
                                         &d.FA,     &d.FB,    &d.Sum7,      &d.Sum12,
                                         &d.Sum14,  &d.Sum32, &d.PrevInteg, &d.Integ};
        for (std::size_t i = 0; i < numbers.size(); ++i)
            *arrays[i] = numbers[i];
    }
    std::vector<int32_t> nsub;
    std::array<std::vector<double>, 12> numbers;
};

class Silent : public Reporter {
public:
    MsgResult Show(const Message&) override { return MsgResult::OK; }
};

} // namespace

void Integrator::Compute() {
    main_.Prepare();
    workersReady_ = false;
    parallel_ = (threads_ > 1 || ahead_) && d_.Order >= 2 && main_.MidpointReusable(d_.Order - 1);
    innerAhead_ = false;
    aheadLevel_ = -1;
    if (parallel_)
        ComputeAhead();
    else
        RunScheme(reporter_);
}

void Integrator::ComputeAhead() {
    const WorkingArrays before(d_);
    const int32_t ierrBefore = ierr_, levelBefore = d_.Level, funcsIerrBefore = d_.Funcs().ierr;
    const auto handler = engine_.ErrorHandler();
    engine_.SetErrorHandler({});
    Silent silent;
    const Outcome outcome = RunScheme(silent);
    engine_.SetErrorHandler(handler);
    aheadPoints_.clear();
    parallel_ = false;
    if (outcome != Outcome::Failed) return;
    before.Restore(d_);
    ierr_ = ierrBefore;
    d_.Funcs().ierr = funcsIerrBefore;
    d_.Level = levelBefore;
    RunScheme(reporter_);
}

Integrator::Outcome Integrator::RunScheme(Reporter& reporter) {
    BooleScheme<Integrator> scheme(d_, *this);
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

void Integrator::PrepareWorkers() {
    if (!pool_ || pool_->Threads() != threads_) {
        workers_.clear();
        pool_ = std::make_unique<PointPool>(threads_);
    }
    while (static_cast<int>(workers_.size()) < threads_)
        workers_.push_back(std::make_unique<Worker>(progress_));
    for (const auto& worker : workers_) {
        Dimension& w = worker->d;
        if (w.Order != d_.Order) w.RecreateLevelArrays(d_.Order);
        w.Equation = d_.Equation;
        w.MaxError = d_.MaxError;
        w.VarNam = d_.VarNam;
        w.LLText = d_.LLText;
        w.ULText = d_.ULText;
        w.MinSub = d_.MinSub;
        worker->eval.Prepare();
    }
    workersReady_ = true;
}

void Integrator::Ahead(int level, const std::vector<double>& points) {
    aheadPoints_.clear();
    aheadLevel_ = -1;
    // An integral per point is worth a thread; a single integrand evaluation is not.
    if (!ahead_ && level == d_.Order - 1) {
        innerAhead_ = d_.Order >= 3 && points.size() < static_cast<std::size_t>(threads_);
        if (innerAhead_) return;
    }
    aheadLevel_ = level;
    aheadPoints_ = points;
    aheadValues_.assign(points.size(), {});
    aheadNext_ = 0;
    if (ahead_)
        ahead_->Compute(*this, level, points, aheadValues_);
    else
        ComputePoints(level, points, aheadValues_);
}

// Each worker starts from the state the points share: the outer levels' values, the engine's
// variables and the added functions' properties.
void Integrator::ComputePoints(int level, std::span<const double> points,
                               std::span<AheadValue> values) {
    if (!workersReady_) PrepareWorkers();
    const auto L = static_cast<std::size_t>(level);
    const Class1& funcs = d_.Funcs();
    for (const auto& worker : workers_) {
        std::copy(d_.VarVal.begin() + static_cast<std::ptrdiff_t>(L) + 1, d_.VarVal.end(),
                  worker->d.VarVal.begin() + static_cast<std::ptrdiff_t>(L) + 1);
        worker->engine.CopyVariablesFrom(engine_);
        Class1& own = worker->d.Funcs();
        own.pi = funcs.pi;
        own.halfpi = funcs.halfpi;
        own.e = funcs.e;
        own.x = funcs.x;
        own.ierr = funcs.ierr;
    }
    pool_->Run(points.size(), [&](std::size_t i, int index) {
        Worker& worker = *workers_[static_cast<std::size_t>(index)];
        worker.recorded = 0;
        try {
            BooleScheme<Evaluation> scheme(worker.d, worker.eval);
            values[i].value = scheme.Value(level, points[i]);
            values[i].recorded = worker.recorded;
            values[i].ok = true;
        } catch (...) {
            // evaluated again in order, where its failure is reported as it would be
        }
    });
}

bool Integrator::TakeAhead(int level, double x, double& value) {
    if (!parallel_ || level != aheadLevel_ || aheadNext_ >= aheadPoints_.size() ||
        std::bit_cast<uint64_t>(aheadPoints_[aheadNext_]) != std::bit_cast<uint64_t>(x))
        return false;
    const AheadValue& ahead = aheadValues_[aheadNext_++];
    if (!ahead.ok) return false; // evaluated here: the computation fails at this point
    if (ahead.recorded != 0) ierr_ = ahead.recorded;
    value = ahead.value;
    return true;
}

} // namespace vantrel
