// Compiles numeric programs on a thread of its own, one after another, so that the computation
// that asked goes on with the evaluator meanwhile and takes the machine code once it is there.
// Programs of the same instructions are compiled once, and code depends on the instructions
// alone: every engine of the process shares one compiler and every piece of code, so a later
// computation of the same integrand, in the window or the next file of the solver, runs its code
// from the start. When the last engine ends, what is queued is dropped and a compile under way is
// waited for (the compiler library must not run into the process's exit). Code that the code
// cache holds is loaded on the thread that asks, at once: a load takes a third of a millisecond,
// and a thread of its own would wait for a core, the evaluator running meanwhile, where the
// computation has them all (each process of a run on several has one core).
#pragma once

#include "script/Program.h"
#include "script/jit/NumericCode.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace vantrel::jit {

// Every engine of the process reads it at each batch of points: it has cache lines of its own,
// so that no thread's writes nearby send it back and forth between the cores.
class alignas(64) PendingCode {
public:
    // The machine code once it is ready; nullptr before, and for good when compiling failed.
    NumericFunction Function() const { return function_.load(std::memory_order_acquire); }
    // Its batch function, ready with it where one was asked for, and how many squares that keeps
    // at a point.
    ManyFunction Many() const { return Function() ? many_ : nullptr; }
    std::size_t KeptSquares() const { return Function() ? keptSquares_ : 0; }

private:
    friend class BackgroundCompiler;
    std::unique_ptr<NumericCode> code_;
    ManyFunction many_ = nullptr; // written before function_, as is keptSquares_
    std::size_t keptSquares_ = 0;
    std::atomic<NumericFunction> function_{nullptr};
};

class BackgroundCompiler {
public:
    BackgroundCompiler() = default;
    ~BackgroundCompiler();
    BackgroundCompiler(const BackgroundCompiler&) = delete;
    BackgroundCompiler& operator=(const BackgroundCompiler&) = delete;

    // The code of the program: queued for compiling (a copy of the program) unless a program of
    // the same instructions was requested before. Where it is only to be looked for, it is taken
    // from the code cache here if it is there, and not compiled; a later request may compile it.
    // A batch function over batch is made with it unless that is None.
    std::shared_ptr<const PendingCode> Request(const Program& program, BatchVariable batch,
                                               bool compile = true);
    // The code requested before for a program of the same instructions and batch variable;
    // nullptr if none was.
    std::shared_ptr<const PendingCode> Find(const Program& program, BatchVariable batch);
    // Whether a compile is queued or under way.
    bool Busy() const { return unfinished_.load(std::memory_order_relaxed) > 0; }

private:
    friend class CompilerUse;
    static BackgroundCompiler& OfThisProcess();
    void Enter();
    void Leave();

    struct Job {
        std::string key;
        std::shared_ptr<PendingCode> pending;
        Program program;
        BatchVariable batch;
    };
    struct Requested {
        std::shared_ptr<PendingCode> pending;
        bool compiling = false;
    };
    // Makes code ready in pending unless other code was made ready there first.
    void Publish(PendingCode& pending, std::unique_ptr<NumericCode> code);
    void Work();

    std::unordered_map<std::string, Requested> requested_; // by instructions and batch variable

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    std::atomic<int> unfinished_{0}; // jobs queued or being compiled
    int users_ = 0;
    bool compiling_ = false;
    std::condition_variable compiled_;
    bool stopping_ = false;
    std::thread thread_;
};

// An engine's use of the process's compiler.
class CompilerUse {
public:
    CompilerUse() : compiler_(BackgroundCompiler::OfThisProcess()) { compiler_.Enter(); }
    ~CompilerUse() { compiler_.Leave(); }
    CompilerUse(const CompilerUse&) = delete;
    CompilerUse& operator=(const CompilerUse&) = delete;
    BackgroundCompiler* operator->() const { return &compiler_; }

private:
    BackgroundCompiler& compiler_;
};

} // namespace vantrel::jit
