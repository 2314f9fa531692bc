// Rank 0's way of computing ahead: the points of a batch go out in chunks, one at a time to each
// other rank as it asks for more, while rank 0's own threads take chunks from the same queue.
#pragma once

#include "cli/Solver.h"
#include "cli/mpi/Communicator.h"

#include <cstdint>
#include <vector>

namespace vantrel {

class RootAhead : public ProblemAhead {
public:
    // threads is every rank's number of threads for a chunk.
    RootAhead(Communicator& comm, int threads);

    // Sends the problem to every other rank.
    void Begin(const ProblemRead& problem) override;
    // The outermost level and the two below it, whose points are visited in order there only
    // for the last point of each batch above; the integrator asks only about independent
    // levels above level 0.
    bool ComputesAhead(int level, int order) const override {
        return level >= 1 && level >= order - AheadLevels;
    }
    void Compute(Integrator& integrator, AheadPoints& batch) override;
    uint64_t Evaluations() const override { return evaluations_; }

    static constexpr int AheadLevels = 3;

private:
    Communicator& comm_;
    int threads_;
    uint64_t evaluations_ = 0;
};

} // namespace vantrel
