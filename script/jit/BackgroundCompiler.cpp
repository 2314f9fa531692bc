#include "script/jit/BackgroundCompiler.h"

#include <span>

namespace vantrel::jit {

namespace {

std::string Key(const Program& program, BatchVariable batch) {
    return InstructionKey(program) + static_cast<char>(batch.kind) + std::to_string(batch.index);
}

} // namespace

BackgroundCompiler& BackgroundCompiler::OfThisProcess() {
    static BackgroundCompiler compiler;
    return compiler;
}

void BackgroundCompiler::Enter() {
    std::lock_guard lock(mutex_);
    ++users_;
}

void BackgroundCompiler::Leave() {
    std::unique_lock lock(mutex_);
    if (--users_ > 0) return;
    for (const Job& dropped : queue_)
        requested_.erase(dropped.key);
    unfinished_ -= static_cast<int>(queue_.size());
    queue_.clear();
    compiled_.wait(lock, [this] { return !compiling_; });
}

BackgroundCompiler::~BackgroundCompiler() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::shared_ptr<const PendingCode> BackgroundCompiler::Request(const Program& program,
                                                               BatchVariable batch, bool compile) {
    std::unique_lock lock(mutex_);
    std::string key = Key(program, batch);
    Requested& requested = requested_[key];
    const bool asked = requested.pending != nullptr;
    if (asked && (requested.compiling || !compile)) return requested.pending;
    if (!asked) requested.pending = std::make_shared<PendingCode>();
    std::shared_ptr<PendingCode> pending = requested.pending;
    if (!compile) {
        lock.unlock();
        const Program* programs[] = {&program};
        Publish(*pending, LoadCompiled(programs, {&batch, 1}));
        return pending;
    }
    requested.compiling = true;
    queue_.push_back({std::move(key), pending, program, batch});
    ++unfinished_;
    if (!thread_.joinable()) thread_ = std::thread([this] { Work(); });
    wake_.notify_one();
    return pending;
}

std::shared_ptr<const PendingCode> BackgroundCompiler::Find(const Program& program,
                                                            BatchVariable batch) {
    std::lock_guard lock(mutex_);
    const auto found = requested_.find(Key(program, batch));
    return found == requested_.end() ? nullptr : found->second.pending;
}

void BackgroundCompiler::Publish(PendingCode& pending, std::unique_ptr<NumericCode> code) {
    std::lock_guard lock(mutex_);
    if (!code || pending.Function()) return; // what another thread took first serves
    pending.many_ = code->Many(0);
    pending.keptSquares_ = code->KeptSquaresOf(0);
    pending.code_ = std::move(code);
    pending.function_.store(pending.code_->Function(0), std::memory_order_release);
}

void BackgroundCompiler::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        Job job = std::move(queue_.front());
        queue_.pop_front();
        compiling_ = true;
        lock.unlock();
        const Program* programs[] = {&job.program};
        if (!job.pending->Function()) Publish(*job.pending, Compile(programs, {&job.batch, 1}));
        --unfinished_;
        lock.lock();
        compiling_ = false;
        compiled_.notify_all();
    }
}

} // namespace vantrel::jit
