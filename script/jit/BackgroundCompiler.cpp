#include "script/jit/BackgroundCompiler.h"

#include <bit>
#include <cstdint>

namespace vantrel::jit {

namespace {

// What the machine code of a program depends on: its instructions.
std::string Instructions(const Program& program) {
    std::string key;
    for (const Instruction& in : program.code) {
        const auto number = std::bit_cast<uint64_t>(in.number);
        const auto index = static_cast<uint32_t>(in.index);
        key += static_cast<char>(in.code);
        key += static_cast<char>(in.operand);
        key += static_cast<char>(in.op);
        key += static_cast<char>(in.count);
        key.append(reinterpret_cast<const char*>(&index), sizeof index);
        key.append(reinterpret_cast<const char*>(&number), sizeof number);
    }
    return key;
}

} // namespace

BackgroundCompiler::~BackgroundCompiler() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::shared_ptr<const PendingCode> BackgroundCompiler::Request(const Program& program) {
    std::lock_guard lock(mutex_);
    std::shared_ptr<PendingCode>& pending = requested_[Instructions(program)];
    if (pending) return pending;
    pending = std::make_shared<PendingCode>();
    queue_.push_back({pending, program});
    ++unfinished_;
    if (!thread_.joinable()) thread_ = std::thread([this] { Work(); });
    wake_.notify_one();
    return pending;
}

std::shared_ptr<const PendingCode> BackgroundCompiler::Find(const Program& program) {
    std::lock_guard lock(mutex_);
    const auto found = requested_.find(Instructions(program));
    return found == requested_.end() ? nullptr : found->second;
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
        if (std::unique_ptr<NumericCode> code = Compile({&program, 1})) {
            job.pending->code_ = std::move(code);
            job.pending->function_.store(job.pending->code_->Function(0),
                                         std::memory_order_release);
        }
        --unfinished_;
        lock.lock();
    }
}

} // namespace vantrel::jit
