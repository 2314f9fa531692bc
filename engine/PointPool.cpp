#include "engine/PointPool.h"

namespace vantrel {

PointPool::PointPool(int threads) {
    for (int worker = 1; worker < threads; ++worker)
        threads_.emplace_back([this, worker] { Work(worker); });
}

PointPool::~PointPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void PointPool::Run(std::size_t count, const Task& task) {
    std::unique_lock lock(mutex_);
    task_ = &task;
    count_ = count;
    next_ = 0;
    done_ = 0;
    ++batch_;
    wake_.notify_all();
    Drain(lock, 0);
    finished_.wait(lock, [this] { return done_ == count_; });
    task_ = nullptr;
}

void PointPool::Work(int worker) {
    std::unique_lock lock(mutex_);
    uint64_t seen = 0;
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || (task_ && batch_ != seen); });
        if (stopping_) return;
        seen = batch_;
        Drain(lock, worker);
    }
}

void PointPool::Drain(std::unique_lock<std::mutex>& lock, int worker) {
    while (task_ && next_ < count_) {
        const std::size_t index = next_++;
        const Task& task = *task_;
        lock.unlock();
        task(index, worker);
        lock.lock();
        if (++done_ == count_) finished_.notify_all();
    }
}

} // namespace vantrel
