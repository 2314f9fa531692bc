// Rank 0's way of computing ahead: the points of a batch go out in chunks, one at a time to each
// other rank as it asks for more, while rank 0 takes chunks from the same queue and computes them
// on the scheme's thread (with its pool's threads), answering the ranks between evaluations.
#pragma once

#include "cli/Solver.h"
#include "cli/mpi/Communicator.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vantrel {

class RootAhead : public ProblemAhead {
public:
    // threads is every rank's number of threads for a chunk.
    RootAhead(Communicator& comm, int threads);

    // Sends the problem to every other rank, which answers once it has prepared it.
    void Begin(const ProblemRead& problem) override;
    // Waits for the answers not received yet, so that none is left behind.
    void AwaitReady();
    // The outermost level and the two below it, whose points are visited in order there only
    // for the last point of each batch above; the integrator asks only about independent
    // levels above level 0.
    bool ComputesAhead(int level, int order) const override {
        return level >= 1 && level >= order - AheadLevels;
    }
    // Batches of a level whose last batch showed that its points are too cheap to pay for the
    // messages are left to rank 0 (as the scheme visits them, or on its threads where it has
    // several) until they have grown enough.
    bool Takes(int level, std::size_t count) const override;
    void Compute(Integrator& integrator, AheadPoints& batch) override;
    uint64_t Evaluations() const override { return evaluations_; }

    static constexpr int AheadLevels = 3;
    // The least work, on one thread, of a batch worth handing out: many chunks' cost.
    static constexpr double MinWorkSeconds = 0.05;

private:
    // Returns the seconds that computing the chunks took.
    double HandOut(Integrator& integrator, AheadPoints& batch);
    bool Preparing() const;

    Communicator& comm_;
    int threads_;
    uint64_t evaluations_ = 0;
    // By level, what a point of the level's last batch took one thread, roughly; 0 unknown.
    std::array<double, Dimension::MaxOrder> pointSeconds_{};
    std::vector<bool> preparing_; // by rank: the problem sent, its answer not received
};

} // namespace vantrel
