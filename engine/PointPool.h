// Threads that compute batches of independent points. The thread that runs a batch takes part
// in it, so a pool of one thread computes sequentially on the caller.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vantrel {

class PointPool {
public:
    // threads counts the caller; at least 1.
    explicit PointPool(int threads);
    ~PointPool();
    PointPool(const PointPool&) = delete;
    PointPool& operator=(const PointPool&) = delete;

    int Threads() const { return static_cast<int>(threads_.size()) + 1; }

    // Runs task(i, worker) for every i below count and returns when all have run; worker tells
    // which thread runs it (0 the caller). The task must not throw.
    using Task = std::function<void(std::size_t index, int worker)>;
    void Run(std::size_t count, const Task& task);

private:
    void Work(int worker);
    // Takes and runs tasks of the current batch until none is left.
    void Drain(std::unique_lock<std::mutex>& lock, int worker);

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    const Task* task_ = nullptr;
    std::size_t count_ = 0, next_ = 0, done_ = 0;
    uint64_t batch_ = 0;
    bool stopping_ = false;
};

} // namespace vantrel
