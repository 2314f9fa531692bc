// What the threads of one computation share: the request to cancel, and the poll that the
// computing thread calls every few milliseconds with the integrand evaluations so far.
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

    // evaluations counts what every thread has evaluated so far when the poll is due.
    void SetPoll(Poll poll, std::function<uint64_t()> evaluations) {
        poll_ = std::move(poll);
        evaluations_ = std::move(evaluations);
    }

    // A task for the computing thread, run about every ServiceInterval while it evaluates, until
    // it is set to nothing: for those it must answer while it computes, such as other processes.
    // It must not throw. Set and unset on the computing thread.
    void SetService(std::function<void()> service) {
        service_ = std::move(service);
        serviced_.store(static_cast<bool>(service_), std::memory_order_relaxed);
    }

    // Called on any thread every Batch evaluations or so; on the computing thread it polls when
    // enough time has passed. Throws ComputationCancelled once cancelled.
    void Check() {
        if (serviced_.load(std::memory_order_relaxed) && std::this_thread::get_id() == owner_ &&
            ++checks_ % ServiceChecks == 0) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastService_ >= ServiceInterval) {
                lastService_ = now;
                service_();
            }
        }
        // Once cancelled, the poll is not asked again: a thread of the pool may still check
        // while the cancellation travels to the scheme.
        if (poll_ && !cancelled_.load(std::memory_order_relaxed) &&
            std::this_thread::get_id() == owner_) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastPoll_ >= PollInterval) {
                lastPoll_ = now;
                if (poll_(evaluations_())) cancelled_.store(true, std::memory_order_relaxed);
            }
        }
        if (cancelled_.load(std::memory_order_relaxed) ||
            (dropped_.load(std::memory_order_relaxed) && std::this_thread::get_id() != owner_))
            throw ComputationCancelled{};
    }

    // While set, the evaluations of every other thread than the computing one end as if
    // cancelled: their work is no longer wanted.
    void DropOthersWork(bool drop) { dropped_.store(drop, std::memory_order_relaxed); }

    // How many evaluations an evaluation context makes between two calls of Check.
    static constexpr uint64_t Batch = 64;

private:
    static constexpr std::chrono::milliseconds PollInterval{10};
    static constexpr std::chrono::microseconds ServiceInterval{50};
    static constexpr uint32_t ServiceChecks = 16; // the clock read at every so many checks only

    Poll poll_;
    std::function<uint64_t()> evaluations_;
    std::thread::id owner_ = std::this_thread::get_id();
    std::chrono::steady_clock::time_point lastPoll_ = std::chrono::steady_clock::now();
    std::function<void()> service_;
    std::chrono::steady_clock::time_point lastService_;
    uint32_t checks_ = 0;
    // Read by every thread at every check: on a cache line of its own, apart from what the
    // computing thread writes at every poll and what follows the object. (Each thread counts its
    // evaluations apart: a count that all of them wrote would travel between their caches.)
    alignas(64) std::atomic<bool> cancelled_{false};
    std::atomic<bool> dropped_{false};
    std::atomic<bool> serviced_{false};
};

} // namespace vantrel
