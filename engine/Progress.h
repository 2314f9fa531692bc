// What the threads of one computation share: the count of integrand evaluations, the request to
// cancel, and the poll that the computing thread calls every few milliseconds.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace vantrel {

// Thrown where an evaluation notices that the computation has been cancelled.
struct ComputationCancelled {};

inline constexpr int32_t UserInterrupt = 18; // "User interrupt occurred"

class Progress {
public:
    using Poll = std::function<bool(uint64_t evaluations)>;

    void SetPoll(Poll poll) { poll_ = std::move(poll); }

    // Counts evaluations made since the last call on one thread; on the computing thread it polls
    // when enough time has passed. Throws ComputationCancelled once cancelled.
    void Count(uint64_t evaluations) {
        total_.fetch_add(evaluations, std::memory_order_relaxed);
        // Once cancelled, the poll is not asked again: a thread of the pool may still count
        // while the cancellation travels to the scheme.
        if (poll_ && !cancelled_.load(std::memory_order_relaxed) &&
            std::this_thread::get_id() == owner_) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastPoll_ >= PollInterval) {
                lastPoll_ = now;
                if (poll_(Total())) cancelled_.store(true, std::memory_order_relaxed);
            }
        }
        if (cancelled_.load(std::memory_order_relaxed)) throw ComputationCancelled{};
    }
    uint64_t Total() const { return total_.load(std::memory_order_relaxed); }

    // How many evaluations an evaluation context makes between two calls of Count.
    static constexpr uint64_t Batch = 64;

private:
    static constexpr std::chrono::milliseconds PollInterval{10};

    Poll poll_;
    std::thread::id owner_ = std::this_thread::get_id();
    std::chrono::steady_clock::time_point lastPoll_ = std::chrono::steady_clock::now();
    // Counted by every thread: on a cache line of its own, apart from what the computing thread
    // writes at every poll and what follows the object.
    alignas(64) std::atomic<uint64_t> total_{0};
    std::atomic<bool> cancelled_{false};
};

} // namespace vantrel
