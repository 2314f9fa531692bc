#include "cli/mpi/RootAhead.h"

#include "cli/mpi/Messages.h"
#include "cli/mpi/MpiJob.h"
#include "engine/Integrator.h"
#include "engine/WorkingArrays.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <thread>

namespace vantrel {

RootAhead::RootAhead(Communicator& comm, int threads)
    : comm_(comm),
      threads_(threads > 0 ? threads
                           : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))) {}

void RootAhead::Begin(const ProblemRead& problem) {
    evaluations_ = 0;
    pointSeconds_.fill(0);
    const std::string bytes = EncodeProblemMessage(problem);
    for (int rank = 1; rank < comm_.Size(); ++rank)
        comm_.Send(rank, Tag::Problem, bytes);
}

bool RootAhead::Takes(int level, std::size_t count) const {
    const double pointSeconds = pointSeconds_[static_cast<std::size_t>(level)];
    return pointSeconds == 0 || pointSeconds * static_cast<double>(count) >= MinWorkSeconds;
}

void RootAhead::Compute(Integrator& integrator, AheadPoints& batch) {
    const auto start = std::chrono::steady_clock::now();
    HandOut(integrator, batch);
    // Every thread of every rank was busy all along.
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    pointSeconds_[static_cast<std::size_t>(batch.level)] =
        took.count() * threads_ * comm_.Size() /
        std::max(1.0, static_cast<double>(batch.points.size()));
}

void RootAhead::HandOut(Integrator& integrator, AheadPoints& batch) {
    const std::vector<double>& points = batch.points;
    const std::size_t perPoint = PointWrites::Size(batch.level);
    Chunk chunk{batch.level, 0, batch.outer, {}};
    // Small enough that every rank takes several, so that fast and slow ranks stay busy.
    const std::size_t ranks = static_cast<std::size_t>(comm_.Size());
    const std::size_t size =
        std::max(static_cast<std::size_t>(threads_), (points.size() + 4 * ranks - 1) / (4 * ranks));
    const std::size_t chunks = (points.size() + size - 1) / size;
    std::atomic<std::size_t> next{0};
    const auto count = [&](std::size_t c) { return std::min(size, points.size() - c * size); };

    int outstanding = 0;
    const auto handOut = [&](int rank) {
        const std::size_t c = next++;
        if (c >= chunks) return;
        chunk.first = c * size;
        const auto part = points.begin() + static_cast<std::ptrdiff_t>(c * size);
        chunk.points.assign(part, part + static_cast<std::ptrdiff_t>(count(c)));
        comm_.Send(rank, Tag::Chunk, EncodeChunk(chunk));
        ++outstanding;
    };
    // Two chunks out to each rank where there are many: the next one waits there while the rank
    // computes, so that the time either side takes to notice a message is not spent idle. Of a
    // few, one: a chunk waiting at a rank is one that rank 0's threads, done first, cannot take.
    const int queue = chunks >= 4 * ranks ? 2 : 1;
    for (int queued = 0; queued < queue; ++queued)
        for (int rank = 1; rank < comm_.Size(); ++rank)
            handOut(rank);

    std::exception_ptr localFailure;
    std::thread local([&] {
        try {
            for (std::size_t c; (c = next++) < chunks;)
                integrator.ComputePoints(
                    batch.level, batch.outer, std::span(points).subspan(c * size, count(c)),
                    std::span(batch.values).subspan(c * size, count(c)),
                    std::span(batch.writes).subspan(c * size * perPoint, count(c) * perPoint));
        } catch (...) {
            localFailure = std::current_exception();
        }
    });
    const Tag valuesTag = Tag::Values;
    try {
        while (outstanding > 0) {
            const Envelope envelope =
                comm_.Wait(MPI_ANY_SOURCE, &valuesTag, [&] { integrator.PollProgress(); });
            const ChunkValues got = DecodeValues(comm_.ReceiveNumbers(envelope), perPoint);
            if (got.first % size != 0 || got.first >= points.size() ||
                got.values.size() != count(got.first / size))
                throw MpiFailure("rank " + std::to_string(envelope.from) +
                                 " sent values that were not asked for");
            std::copy(got.values.begin(), got.values.end(),
                      batch.values.begin() + static_cast<std::ptrdiff_t>(got.first));
            std::copy(got.writes.begin(), got.writes.end(),
                      batch.writes.begin() + static_cast<std::ptrdiff_t>(got.first * perPoint));
            evaluations_ += got.evaluations;
            --outstanding;
            handOut(envelope.from);
        }
    } catch (const MpiFailure&) {
        next = chunks; // the local thread stops after its chunk
        local.join();
        throw;
    } catch (...) {
        // Cancelled: the chunks out are received, so that none is taken for the next batch's.
        next = chunks;
        for (; outstanding > 0; --outstanding)
            comm_.ReceiveNumbers(comm_.Wait(MPI_ANY_SOURCE, &valuesTag));
        local.join();
        throw;
    }
    local.join();
    if (localFailure) std::rethrow_exception(localFailure);
}

} // namespace vantrel
