// The job's messages over MPI, every call checked: a failing call throws MpiFailure. Waiting for
// a message sleeps between probes, so that a rank with nothing to do leaves its core to others
// (a blocking receive of Open MPI polls at full speed).
#pragma once

#include <mpi.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

enum class Tag : int { Problem = 1, Chunk = 2, Values = 3, Stop = 4, Ready = 5 };

struct Envelope {
    int from = 0;
    Tag tag = Tag::Stop;
    int bytes = 0;
};

class Communicator {
public:
    // A duplicate of the world's communicator whose errors return to the caller.
    Communicator();
    ~Communicator(); // frees it unless Free has
    Communicator(const Communicator&) = delete;
    Communicator& operator=(const Communicator&) = delete;

    // Releases the communicator, before MPI_Finalize.
    void Free();

    int Rank() const { return rank_; }
    int Size() const { return size_; }

    void Send(int to, Tag tag, std::span<const double> numbers);
    void Send(int to, Tag tag, const std::string& bytes);
    // Waits for the next message from a rank (MPI_ANY_SOURCE for any) with a tag (nothing: any),
    // calling idle, if given, between looks.
    Envelope Wait(int from, const Tag* tag = nullptr, const std::function<void()>& idle = {});
    // The same, but gives up (nothing) at a look where giveUp returns true.
    std::optional<Envelope> WaitUnless(const std::function<bool()>& giveUp, int from,
                                       const Tag* tag, const std::function<void()>& idle);
    // Receives the message that Wait announced.
    std::vector<double> ReceiveNumbers(const Envelope& envelope);
    std::string ReceiveBytes(const Envelope& envelope);

private:
    MPI_Comm comm_ = MPI_COMM_NULL;
    int rank_ = 0, size_ = 1;
};

} // namespace vantrel
