#include "cli/mpi/RankServer.h"

#include "cli/Solver.h"
#include "cli/mpi/Messages.h"
#include "cli/mpi/MpiJob.h"
#include "engine/Integrator.h"
#include "engine/ScriptEnvironment.h"
#include "engine/WorkingArrays.h"

#include <chrono>
#include <memory>

namespace vantrel {

namespace {

// The problem as rank 0 has it before its computation: its constants executed once, in order.
class RankProblem {
public:
    RankProblem(const ProblemRead& problem, int threads)
        : integrator_(d_, engine_, silent_, ierr_) {
        SetUpScriptEnvironment(engine_, d_.Funcs(), ierr_);
        LoadProblem(d_, problem);
        if (threads > 0) integrator_.SetThreads(threads);
        try {
            for (const std::string& constant : problem.constants)
                engine_.ExecuteStatement(constant);
            // before the first chunk comes
            integrator_.PrepareForPoints();
        } catch (const ScriptFailure&) {
            // rank 0 fails there too and hands out nothing
        }
    }

    std::vector<double> Compute(std::span<const double> message) {
        const Chunk chunk = DecodeChunk(message, d_.Order);
        const std::size_t count = chunk.points.size();
        ChunkValues values{chunk.first, 0, 0, std::vector<AheadValue>(count),
                           std::vector<double>(count * PointWrites::Size(chunk.level))};
        const uint64_t before = integrator_.Evaluations();
        const auto start = std::chrono::steady_clock::now();
        integrator_.ComputePoints(chunk.level, chunk.outer, chunk.points, values.values,
                                  values.writes);
        values.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        values.evaluations = integrator_.Evaluations() - before;
        return EncodeValues(values);
    }

private:
    Dimension d_;
    ScriptControl engine_;
    int32_t ierr_ = 0;
    SilentReporter silent_;
    Integrator integrator_;
};

} // namespace

void ServeRoot(Communicator& comm, int threads) {
    std::unique_ptr<RankProblem> problem;
    for (;;) {
        const Envelope envelope = comm.Wait(0);
        switch (envelope.tag) {
        case Tag::Problem:
            problem = std::make_unique<RankProblem>(
                DecodeProblemMessage(comm.ReceiveBytes(envelope)), threads);
            comm.Send(0, Tag::Ready, std::string());
            break;
        case Tag::Chunk:
            if (!problem) throw MpiFailure("a chunk came before its problem");
            comm.Send(0, Tag::Values, problem->Compute(comm.ReceiveNumbers(envelope)));
            break;
        case Tag::Stop:
            comm.ReceiveBytes(envelope);
            return;
        default:
            throw MpiFailure("an unknown message came from rank 0");
        }
    }
}

} // namespace vantrel
