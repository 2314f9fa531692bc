// Threads that compute points ahead of the thread that runs the scheme (the caller). The caller
// opens a batch of points per slot (a level) and visits them in order from the front, computing
// itself those that no thread has started; the pool's threads claim points from the back of the
// highest open slot's batch, so that the caller meets their results last and rarely waits for
// one. A thread computes its claim from its back, and the caller takes the points of a claim
// that are not started yet: a claim of several points (few claims, few meetings at the lock)
// never holds the caller up for more than the point under way. A pool of one thread has no
// threads of its own: the caller computes every point.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <sched.h>
#include <thread>
#include <vector>

namespace vantrel {

class PointPool {
public:
    // threads counts the caller; at least 1. slots is how many batches may be open at once.
    PointPool(int threads, int slots);
    ~PointPool();
    PointPool(const PointPool&) = delete;
    PointPool& operator=(const PointPool&) = delete;

    int Threads() const { return static_cast<int>(threads_.size()) + 1; }

    // Pools kept for the process between their users, one of each number of threads: starting
    // the threads costs the thread that starts them a tenth of a millisecond or more on a virtual
    // machine, waking them some tens of microseconds. TakeKept gives the kept pool of threads
    // with at least slots (nothing where there is none); Keep keeps a pool whose batches are all
    // closed, unless one of its number of threads is kept already.
    static std::unique_ptr<PointPool> TakeKept(int threads, int slots);
    static void Keep(std::unique_ptr<PointPool> pool);

    // task(index, worker) computes a point on the pool's thread worker (1 to Threads() - 1); it
    // must not throw.
    using Task = std::function<void(std::size_t index, int worker)>;
    // Opens the slot's batch of the points first to count - 1; grain is how many points one
    // thread claims at a time at least. The slot must be closed. A batch set aside is one the
    // caller may come to later: its points are claimed a grain at a time, and only while no other
    // open batch has points for the pool, until Adopt makes it a batch like the others.
    void Open(int slot, std::size_t first, std::size_t count, std::size_t grain, Task task,
              bool aside = false);
    void Adopt(int slot);
    // For the caller, in order of index from first on: true when the caller computes the point
    // itself, false when a pool thread has computed it (waiting for it to finish, and computing
    // meanwhile points of a batch set aside with its task(index, Threads())).
    bool Take(int slot, std::size_t index);
    // For the caller, instead of Take at each point from index on: how many of them, at most
    // max, one after another, pool threads have computed (none where the caller computes the
    // first).
    std::size_t Computed(int slot, std::size_t index, std::size_t max);
    // Leaves the batch's unclaimed points to nobody and waits for those being computed.
    void Close(int slot);
    // Runs task(worker) once on each of the pool's threads, before anything else they do from
    // then on: what a thread allocates there lies in its own part of the heap, so that what it
    // writes while it computes shares no cache line with what another thread writes. Returns at
    // once, after the task before has run everywhere; the task must not throw. A pool that is
    // being destroyed leaves the task undone on the threads that have not begun it.
    void OnEachThread(std::function<void(int worker)> task);
    // Waits until the last task has run on each thread (or been left undone).
    void FinishEachThread();
    // Where every thread has a core of its own, keeps the pool's threads off the core the caller
    // runs on until Release, and moves them off the caller's new core where the caller has moved
    // by the time it opens a batch: on a virtual machine a thread woken for a new batch was often
    // queued on the caller's core, and waited there for milliseconds while the other core idled.
    // The caller itself stays free to move, as away from a core the host gives less time to. For
    // the caller, around a computation; after Release, the threads out of work sleep at once
    // instead of watching for a batch: on a virtual machine a thread that watches on the other
    // core slowed the computation of a problem of a few tenths of a millisecond by a tenth or more.
    void HoldApart();
    void Release();
    // Whether a thread out of work watches for a batch: one opened now needs no waking.
    bool Watching() const { return watching_.load(std::memory_order_relaxed) > 0; }

private:
    struct Slot {
        bool open = false;
        std::size_t front = 0, back = 0; // the unclaimed points
        std::size_t callerEnd = 0;       // the caller's claim ends here
        std::size_t grain = 1;
        bool aside = false;
        int running = 0; // claims being computed by pool threads
        Task task;
        // Each point's, read and written as atomics: an array of atomics would be written whole
        // when it is made, page by page.
        struct Flags {
            bool started, done;
        };
        std::unique_ptr<Flags[]> flags;
        std::size_t capacity = 0;
        std::atomic_ref<bool> Started(std::size_t i) { return std::atomic_ref(flags[i].started); }
        std::atomic_ref<bool> Done(std::size_t i) { return std::atomic_ref(flags[i].done); }
    };

    void Work(int worker);
    // Watches for a moment, the lock released, whether a batch is opened.
    void WatchForOpen(std::unique_lock<std::mutex>& lock);
    Slot* Highest();
    // How many of the slot's unclaimed points a pool thread claims at once.
    std::size_t Claim(const Slot& s) const;
    void KeepOffCallersCore();
    bool HelpAside(std::unique_lock<std::mutex>& lock, Slot& waited, std::size_t index);

    std::vector<Slot> slots_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::atomic<bool> callerWaits_{false};
    std::atomic<uint64_t> opened_{0}; // batches opened and tasks run on each thread so far
    std::atomic<int> watching_{0};
    std::function<void(int worker)> eachTask_;
    uint64_t eachRound_ = 0;
    std::size_t eachLeft_ = 0; // threads yet to run this round's task
    int idle_ = 0;
    bool stopping_ = false;
    // Whether every thread has a core of its own: a thread that waits for another may then spin
    // for a while before it sleeps.
    bool ownCores_ = false;
    cpu_set_t cores_; // that the pool's threads may run on
    // Held apart (HoldApart), the threads are kept off the caller's core (-1: none yet).
    bool held_ = false;
    int callerCore_ = -1;
};

} // namespace vantrel
