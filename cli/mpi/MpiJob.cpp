#include "cli/mpi/MpiJob.h"

#include "cli/mpi/Communicator.h"
#include "cli/mpi/RankServer.h"
#include "cli/mpi/RootAhead.h"

#include <cstdlib>
#include <optional>

namespace vantrel {

namespace {

class OpenJob : public MpiJob {
public:
    explicit OpenJob(int threads) : threads_(threads) {
        // Only the thread that called MPI_Init calls MPI; the others compute.
        int provided = 0;
        if (MPI_Init_thread(nullptr, nullptr, MPI_THREAD_FUNNELED, &provided) != MPI_SUCCESS)
            throw MpiFailure("MPI_Init_thread failed");
        if (provided < MPI_THREAD_FUNNELED)
            throw MpiFailure("this MPI does not allow threads beside the one that calls it");
        comm_.emplace();
        ahead_.emplace(*comm_, threads);
    }

    int Rank() const override { return comm_->Rank(); }
    int Ranks() const override { return comm_->Size(); }
    ProblemAhead& Ahead() override { return *ahead_; }
    void Serve() override { ServeRoot(*comm_, threads_); }
    void Finish() override {
        if (comm_->Rank() == 0) {
            ahead_->AwaitReady();
            for (int rank = 1; rank < comm_->Size(); ++rank)
                comm_->Send(rank, Tag::Stop, std::string());
        }
        comm_->Free();
        if (MPI_Finalize() != MPI_SUCCESS) throw MpiFailure("MPI_Finalize failed");
    }

private:
    int threads_;
    std::optional<Communicator> comm_;
    std::optional<RootAhead> ahead_;
};

} // namespace

void AbortMpiJob(int status) {
    MPI_Abort(MPI_COMM_WORLD, status);
    std::_Exit(status); // should the abort itself fail
}

std::unique_ptr<MpiJob> JoinMpiJob(int threads) {
    return std::make_unique<OpenJob>(threads);
}

} // namespace vantrel
