// vantrel-solve on many processes (ranks) of an MPI job: rank 0 reads the files, solves them in
// order and prints; the other ranks compute the points rank 0 hands out to them.
#pragma once

#include "cli/Solver.h"

#include <memory>
#include <stdexcept>

namespace vantrel {

// A failed call into MPI: a rank that died, a broken network. It ends the run.
class MpiFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class MpiJob {
public:
    virtual ~MpiJob() = default;
    virtual int Rank() const = 0;
    virtual int Ranks() const = 0;
    // Rank 0's way of computing ahead on every rank, its own threads included.
    virtual ProblemAhead& Ahead() = 0;
    // On every other rank: computes what rank 0 hands out until rank 0 ends the run.
    virtual void Serve() = 0;
    // Rank 0 ends the others' Serve; every rank then leaves MPI.
    virtual void Finish() = 0;
};

// Starts this process's part of the job, whose every rank computes a chunk on threads threads (0:
// the machine's cores); nothing when vantrel-solve was built without MPI.
std::unique_ptr<MpiJob> JoinMpiJob(int threads);

// The exit status of a run that MPI could not carry on.
inline constexpr int MpiRunFailed = 3;

// Ends the job at once on every rank after a failure, with status.
[[noreturn]] void AbortMpiJob(int status);

} // namespace vantrel
