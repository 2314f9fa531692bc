#include "script/jit/BackgroundCompiler.h"

namespace vantrel::jit {

BackgroundCompiler::~BackgroundCompiler() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::shared_ptr<const PendingCode>
BackgroundCompiler::Request(const Program& program, std::vector<const double*> storages) {
    auto pending = std::make_shared<PendingCode>();
    std::lock_guard lock(mutex_);
    queue_.push_back({pending, program, std::move(storages)});
    if (!thread_.joinable()) thread_ = std::thread([this] { Work(); });
    wake_.notify_one();
    return pending;
}

void BackgroundCompiler::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        const Program* program = &job.program;
        if (std::unique_ptr<NumericCode> code = Compile({&program, 1}, job.storages)) {
            job.pending->code_ = std::move(code);
            job.pending->function_.store(job.pending->code_->Function(0),
                                         std::memory_order_release);
        }
        lock.lock();
    }
}

} // namespace vantrel::jit
