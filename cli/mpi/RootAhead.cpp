#include "cli/mpi/RootAhead.h"

#include "cli/mpi/Messages.h"
#include "cli/mpi/MpiJob.h"
#include "engine/Integrator.h"
#include "engine/WorkingArrays.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>
#include <thread>

namespace vantrel {

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

RootAhead::RootAhead(Communicator& comm, int threads)
    : comm_(comm),
      threads_(threads > 0 ? threads
                           : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))),
      preparing_(static_cast<std::size_t>(comm.Size()), false) {}

void RootAhead::Begin(const ProblemRead& problem) {
    evaluations_ = 0;
    pointSeconds_.fill(0);
    AwaitReady();
    const std::string bytes = EncodeProblemMessage(problem);
    for (int rank = 1; rank < comm_.Size(); ++rank) {
        comm_.Send(rank, Tag::Problem, bytes);
        preparing_[static_cast<std::size_t>(rank)] = true;
    }
}

void RootAhead::AwaitReady() {
    const Tag ready = Tag::Ready;
    for (int rank = 1; rank < comm_.Size(); ++rank)
        if (preparing_[static_cast<std::size_t>(rank)]) {
            comm_.ReceiveBytes(comm_.Wait(rank, &ready));
            preparing_[static_cast<std::size_t>(rank)] = false;
        }
}

bool RootAhead::Preparing() const {
    return std::find(preparing_.begin(), preparing_.end(), true) != preparing_.end();
}

bool RootAhead::Takes(int level, std::size_t count) const {
    const double pointSeconds = pointSeconds_[static_cast<std::size_t>(level)];
    return pointSeconds == 0 || pointSeconds * static_cast<double>(count) >= MinWorkSeconds;
}

void RootAhead::Compute(Integrator& integrator, AheadPoints& batch) {
    // The computing alone, each chunk on every thread of its rank, with no message's time.
    pointSeconds_[static_cast<std::size_t>(batch.level)] =
        HandOut(integrator, batch) * threads_ /
        std::max(1.0, static_cast<double>(batch.points.size()));
}

double RootAhead::HandOut(Integrator& integrator, AheadPoints& batch) {
    const std::vector<double>& points = batch.points;
    const std::size_t perPoint = PointWrites::Size(batch.level);
    Chunk chunk{batch.level, 0, batch.outer, {}};
    // Small enough that every rank takes several, so that fast and slow ranks stay busy.
    const std::size_t ranks = static_cast<std::size_t>(comm_.Size());
    const std::size_t size =
        std::max(static_cast<std::size_t>(threads_), (points.size() + 4 * ranks - 1) / (4 * ranks));
    const std::size_t chunks = (points.size() + size - 1) / size;
    std::size_t next = 0;
    const auto count = [&](std::size_t c) { return std::min(size, points.size() - c * size); };

    int outstanding = 0;
    const auto handOut = [&](int rank) {
        if (next >= chunks) return;
        const std::size_t c = next++;
        chunk.first = c * size;
        const auto part = points.begin() + static_cast<std::ptrdiff_t>(c * size);
        chunk.points.assign(part, part + static_cast<std::ptrdiff_t>(count(c)));
        comm_.Send(rank, Tag::Chunk, EncodeChunk(chunk));
        ++outstanding;
    };
    // Two chunks out to each rank where there are many: the next one waits there while the rank
    // computes, so that the time either side takes to notice a message is not spent idle. Of a
    // few, one: a chunk waiting at a rank is one that rank 0, done first, cannot take.
    const int queue = chunks >= 4 * ranks ? 2 : 1;
    const auto start = [&](int rank) {
        preparing_[static_cast<std::size_t>(rank)] = false;
        for (int queued = 0; queued < queue; ++queued)
            handOut(rank);
    };
    double seconds = 0;
    // Takes the next message if there is one (or waits for it): a rank's word that it is ready,
    // which then gets its chunks, or a chunk's values, whose rank gets the next chunk.
    const auto answer = [&](bool wait) {
        const auto now = [wait] { return !wait; };
        const std::optional<Envelope> envelope =
            comm_.WaitUnless(now, MPI_ANY_SOURCE, nullptr, [&] { integrator.PollProgress(); });
        if (!envelope) return false;
        if (envelope->tag == Tag::Ready) {
            comm_.ReceiveBytes(*envelope);
            start(envelope->from);
            return true;
        }
        const auto unasked = [&] {
            return MpiFailure("rank " + std::to_string(envelope->from) +
                              " sent values that were not asked for");
        };
        if (envelope->tag != Tag::Values) throw unasked();
        const ChunkValues got = DecodeValues(comm_.ReceiveNumbers(*envelope), perPoint);
        if (got.first % size != 0 || got.first >= points.size() ||
            got.values.size() != count(got.first / size))
            throw unasked();
        std::copy(got.values.begin(), got.values.end(),
                  batch.values.begin() + static_cast<std::ptrdiff_t>(got.first));
        std::copy(got.writes.begin(), got.writes.end(),
                  batch.writes.begin() + static_cast<std::ptrdiff_t>(got.first * perPoint));
        evaluations_ += got.evaluations;
        seconds += got.seconds;
        --outstanding;
        handOut(envelope->from);
        return true;
    };
    // A rank that is still preparing the problem is given its chunks once it is ready; until
    // then rank 0 takes them (all of a small batch's).
    const Tag ready = Tag::Ready;
    const auto once = [] { return true; };
    while (const auto envelope = comm_.WaitUnless(once, MPI_ANY_SOURCE, &ready, {})) {
        comm_.ReceiveBytes(*envelope);
        preparing_[static_cast<std::size_t>(envelope->from)] = false;
    }
    for (int rank = 1; rank < comm_.Size(); ++rank)
        if (!preparing_[static_cast<std::size_t>(rank)]) start(rank);

    // Rank 0 computes chunks on this thread, answering the ranks between its evaluations: a
    // thread of its own for them woke every fifth of a millisecond on the same core, and slowed
    // the computing by a tenth.
    std::exception_ptr failure;
    integrator.SetService([&] {
        try {
            while (!failure && answer(false)) {
            }
        } catch (...) {
            failure = std::current_exception();
        }
    });
    try {
        integrator.PrepareForPoints();
        for (std::size_t c; !failure && (c = next) < chunks;) {
            ++next;
            const auto begun = std::chrono::steady_clock::now();
            integrator.ComputePoints(
                batch.level, batch.outer, std::span(points).subspan(c * size, count(c)),
                std::span(batch.values).subspan(c * size, count(c)),
                std::span(batch.writes).subspan(c * size * perPoint, count(c) * perPoint));
            seconds += SecondsSince(begun);
        }
        integrator.SetService({});
        if (failure) std::rethrow_exception(failure);
        while (outstanding > 0)
            answer(true);
    } catch (const MpiFailure&) {
        integrator.SetService({});
        throw;
    } catch (...) {
        // Cancelled: the chunks out are received, so that none is taken for the next batch's.
        integrator.SetService({});
        const Tag values = Tag::Values;
        for (; outstanding > 0; --outstanding)
            comm_.ReceiveNumbers(comm_.Wait(MPI_ANY_SOURCE, &values));
        throw;
    }
    return seconds;
}

} // namespace vantrel
