#include "cli/mpi/Communicator.h"

#include "cli/mpi/MpiJob.h"

#include <algorithm>
#include <chrono>
#include <sys/prctl.h>
#include <thread>

namespace vantrel {

namespace {

void Check(int code, const char* call) {
    if (code == MPI_SUCCESS) return;
    char text[MPI_MAX_ERROR_STRING];
    int length = 0;
    if (MPI_Error_string(code, text, &length) != MPI_SUCCESS) length = 0;
    throw MpiFailure(
        std::string(call) + " failed" +
        (length > 0 ? ": " + std::string(text, static_cast<std::size_t>(length)) : ""));
}

} // namespace

Communicator::Communicator() {
    Check(MPI_Comm_dup(MPI_COMM_WORLD, &comm_), "MPI_Comm_dup");
    Check(MPI_Comm_set_errhandler(comm_, MPI_ERRORS_RETURN), "MPI_Comm_set_errhandler");
    Check(MPI_Comm_rank(comm_, &rank_), "MPI_Comm_rank");
    Check(MPI_Comm_size(comm_, &size_), "MPI_Comm_size");
    // Wait sleeps in short pauses on this thread, which the kernel by default may end up to 50 us
    // late to gather wake-ups: they are asked for as they are.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

Communicator::~Communicator() {
    if (comm_ != MPI_COMM_NULL) MPI_Comm_free(&comm_); // leaving after a failure: no report
}

void Communicator::Free() {
    if (comm_ != MPI_COMM_NULL) Check(MPI_Comm_free(&comm_), "MPI_Comm_free");
}

void Communicator::Send(int to, Tag tag, std::span<const double> numbers) {
    Check(MPI_Send(numbers.data(), static_cast<int>(numbers.size()), MPI_DOUBLE, to,
                   static_cast<int>(tag), comm_),
          "MPI_Send");
}

void Communicator::Send(int to, Tag tag, const std::string& bytes) {
    Check(MPI_Send(bytes.data(), static_cast<int>(bytes.size()), MPI_BYTE, to,
                   static_cast<int>(tag), comm_),
          "MPI_Send");
}

Envelope Communicator::Wait(int from, const Tag* tag, const std::function<void()>& idle) {
    return *WaitUnless([] { return false; }, from, tag, idle);
}

std::optional<Envelope> Communicator::WaitUnless(const std::function<bool()>& giveUp, int from,
                                                 const Tag* tag,
                                                 const std::function<void()>& idle) {
    using namespace std::chrono_literals;
    // From 20 us, doubling up to 0.2 ms: a message is noticed at most that late (with 1 ms, a
    // chunk handed out and answered cost 3.4 ms beyond its computing, now 0.2 ms), while a rank
    // that waits still takes no more than a few hundredths of its core.
    auto pause = 20us;
    for (;;) {
        int arrived = 0;
        MPI_Status status;
        // A probe that finds nothing may have taken in what arrived since the last one, which
        // only the next probe sees: with one probe a message waited a pause longer (a chunk cost
        // 0.75 ms on this machine's shared memory, not 0.2).
        for (int probe = 0; probe < 2 && !arrived; ++probe)
            Check(MPI_Iprobe(from, tag ? static_cast<int>(*tag) : MPI_ANY_TAG, comm_, &arrived,
                             &status),
                  "MPI_Iprobe");
        if (arrived) {
            int bytes = 0;
            Check(MPI_Get_count(&status, MPI_BYTE, &bytes), "MPI_Get_count");
            return Envelope{status.MPI_SOURCE, static_cast<Tag>(status.MPI_TAG), bytes};
        }
        if (giveUp()) return std::nullopt;
        if (idle) idle();
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, 200us);
    }
}

std::vector<double> Communicator::ReceiveNumbers(const Envelope& envelope) {
    std::vector<double> numbers(static_cast<std::size_t>(envelope.bytes) / sizeof(double));
    Check(MPI_Recv(numbers.data(), static_cast<int>(numbers.size()), MPI_DOUBLE, envelope.from,
                   static_cast<int>(envelope.tag), comm_, MPI_STATUS_IGNORE),
          "MPI_Recv");
    return numbers;
}

std::string Communicator::ReceiveBytes(const Envelope& envelope) {
    std::string bytes(static_cast<std::size_t>(envelope.bytes), '\0');
    Check(MPI_Recv(bytes.data(), static_cast<int>(bytes.size()), MPI_BYTE, envelope.from,
                   static_cast<int>(envelope.tag), comm_, MPI_STATUS_IGNORE),
          "MPI_Recv");
    return bytes;
}

} // namespace vantrel
