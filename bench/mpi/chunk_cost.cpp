// What handing out one chunk costs beyond computing it: rank 0 sends a chunk of an order-10
// problem's outermost level to rank 1, which is busy for a while as if computing and sends its
// value and what it wrote back, both waiting as the solver's ranks wait. Run with mpirun -np 2.
#include "cli/mpi/Communicator.h"
#include "cli/mpi/Messages.h"
#include "engine/WorkingArrays.h"

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int Rounds = 50;
constexpr auto Computing = std::chrono::milliseconds(20);

} // namespace

int main() {
    int provided = 0;
    MPI_Init_thread(nullptr, nullptr, MPI_THREAD_FUNNELED, &provided);
    {
        vantrel::Communicator comm;
        const vantrel::Chunk chunk{9, 0, {}, {0.25}};
        if (comm.Rank() == 0) {
            const vantrel::Tag values = vantrel::Tag::Values;
            const auto start = Clock::now();
            for (int round = 0; round < Rounds; ++round) {
                comm.Send(1, vantrel::Tag::Chunk, vantrel::EncodeChunk(chunk));
                comm.ReceiveNumbers(comm.Wait(1, &values));
            }
            const std::chrono::duration<double, std::micro> each = (Clock::now() - start) / Rounds;
            std::printf("chunk cost beyond computing: %.0f us\n", (each - Computing).count());
        } else if (comm.Rank() == 1) {
            for (int round = 0; round < Rounds; ++round) {
                comm.ReceiveNumbers(comm.Wait(0));
                // Busy, as computing is: a sleep would wake late and count that as the cost.
                for (const auto until = Clock::now() + Computing; Clock::now() < until;) {
                }
                comm.Send(
                    0, vantrel::Tag::Values,
                    vantrel::EncodeValues({0,
                                           625,
                                           0.001,
                                           {{.value = 0.5,
                                             .funcsIerr = 0,
                                             .recorded = 0,
                                             .ok = true,
                                             .covered = false}},
                                           std::vector<double>(vantrel::PointWrites::Size(9))}));
            }
        }
    }
    MPI_Finalize();
}
