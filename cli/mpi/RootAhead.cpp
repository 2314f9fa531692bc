#include "cli/mpi/RootAhead.h"

#include "cli/mpi/Messages.h"
#include "cli/mpi/MpiJob.h"
#include "engine/Integrator.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace vantrel {

RootAhead::RootAhead(Communicator& comm, int threads)
    : comm_(comm),
      threads_(threads > 0 ? threads
                           : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))) {}

void RootAhead::Begin(const ProblemRead& problem) {
    evaluations_ = 0;
    const std::string bytes = EncodeProblemMessage(problem);
    for (int rank = 1; rank < comm_.Size(); ++rank)
        comm_.Send(rank, Tag::Problem, bytes);
}

void RootAhead::Compute(Integrator& integrator, int level, const std::vector<double>& points,
                        std::vector<AheadValue>& values) {
    Dimension& d = integrator.State();
    const Class1& funcs = d.Funcs();
    Chunk chunk{level,
                0,
                {d.VarVal.begin() + level + 1, d.VarVal.end()},
                funcs.pi,
                funcs.halfpi,
                funcs.e,
                funcs.x,
                funcs.ierr,
                {}};
    // Small enough that every rank takes several, so that fast and slow ranks stay busy.
    const std::size_t ranks = static_cast<std::size_t>(comm_.Size());
    const std::size_t size =
        std::max(static_cast<std::size_t>(threads_), (points.size() + 4 * ranks - 1) / (4 * ranks));
    const std::size_t chunks = (points.size() + size - 1) / size;
    std::atomic<std::size_t> next{0};
    const auto span = [&](std::size_t c) {
        return std::span(points).subspan(c * size, std::min(size, points.size() - c * size));
    };

    int outstanding = 0;
    const auto handOut = [&](int rank) {
        const std::size_t c = next++;
        if (c >= chunks) return;
        chunk.first = c * size;
        const auto part = span(c);
        chunk.points.assign(part.begin(), part.end());
        comm_.Send(rank, Tag::Chunk, EncodeChunk(chunk));
        ++outstanding;
    };
    for (int rank = 1; rank < comm_.Size(); ++rank)
        handOut(rank);

    std::exception_ptr localFailure;
    std::thread local([&] {
        try {
            for (std::size_t c; (c = next++) < chunks;)
                integrator.ComputePoints(level, span(c),
                                         std::span(values).subspan(c * size, span(c).size()));
        } catch (...) {
            localFailure = std::current_exception();
        }
    });
    try {
        const Tag valuesTag = Tag::Values;
        while (outstanding > 0) {
            const Envelope envelope = comm_.Wait(MPI_ANY_SOURCE, &valuesTag);
            ChunkValues got = DecodeValues(comm_.ReceiveNumbers(envelope));
            if (got.first % size != 0 || got.first >= points.size() ||
                got.values.size() != span(got.first / size).size())
                throw MpiFailure("rank " + std::to_string(envelope.from) +
                                 " sent values that were not asked for");
            std::copy(got.values.begin(), got.values.end(),
                      values.begin() + static_cast<std::ptrdiff_t>(got.first));
            evaluations_ += got.evaluations;
            --outstanding;
            handOut(envelope.from);
        }
    } catch (...) {
        next = chunks; // the local thread stops after its chunk
        local.join();
        throw;
    }
    local.join();
    if (localFailure) std::rethrow_exception(localFailure);
}

} // namespace vantrel
