#include "engine/PointPool.h"

#include "engine/BatchMemory.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <pthread.h>
#include <sched.h>
#include <utility>

namespace vantrel {

namespace {

// A pool thread out of work watches this long for a batch before it sleeps: waking it costs the
// caller 10 to 20 microseconds on a virtual machine, and the thread tens more before it runs. In
// the order-10 box, watching a tenth of a millisecond, the thread slept between batches some
// fifteen times a computation.
constexpr std::chrono::microseconds WatchTime{500};
// The caller watches a point under way on a pool thread this long before it sleeps until the
// point is done: on a virtual machine a sleeping thread is woken a tenth of a millisecond after
// it is called, while the points that end a batch often take a few microseconds.
constexpr std::chrono::microseconds CallerWatchTime{200};
// A claim takes at least this share of each thread's part of the unclaimed points: few claims
// (each takes the lock) while many points are left, small ones towards the batch's end, where
// the threads must finish together (until so few are left that a share is a point or two).
constexpr std::size_t ClaimShare = 4;

// Watches for ready() to become true for at most time, spinning where spin is true, else giving
// the core to others at each look. Whether it became true.
template <class Ready> bool Watch(std::chrono::microseconds time, bool spin, Ready ready) {
    const auto until = std::chrono::steady_clock::now() + time;
    for (uint32_t look = 1; !ready(); ++look) {
        if (!spin) std::this_thread::yield();
#if defined(__x86_64__) || defined(__i386__)
        else
            __builtin_ia32_pause();
#endif
        // A spinning thread reads the clock at every 64th look only.
        if ((!spin || look % 64 == 0) && std::chrono::steady_clock::now() >= until) return false;
    }
    return true;
}

// A new thread was seen to start on the core of the thread that created it and to share that
// core with it, a few milliseconds each in turn, for tens of milliseconds while the other core
// idled (a virtual machine of two cores): the pool's threads start on the other cores, and are
// free to go anywhere once they run, unless the pool holds them apart (HoldApart).
class StartApart {
public:
    StartApart() {
        const int here = sched_getcpu();
        if (here < 0 || sched_getaffinity(0, sizeof all_, &all_) != 0) return;
        allowed_ = CPU_COUNT(&all_);
        others_ = all_;
        CPU_CLR(here, &others_);
        apart_ = CPU_COUNT(&others_) > 0;
    }
    void Move(std::thread& thread) const {
        if (apart_) pthread_setaffinity_np(thread.native_handle(), sizeof others_, &others_);
    }
    void Free() const {
        if (apart_) pthread_setaffinity_np(pthread_self(), sizeof all_, &all_);
    }
    // The cores the process may run on (an MPI rank is often bound to one).
    int Allowed() const { return allowed_; }
    const cpu_set_t& All() const { return all_; }

private:
    cpu_set_t all_{}, others_{};
    int allowed_ = static_cast<int>(std::thread::hardware_concurrency());
    bool apart_ = false;
};

} // namespace

PointPool::PointPool(int threads, int slots) : slots_(static_cast<std::size_t>(slots)) {
    const StartApart start;
    ownCores_ = threads > 1 && threads <= start.Allowed();
    cores_ = start.All();
    std::lock_guard lock(mutex_); // a thread is freed after it has been moved
    for (int worker = 1; worker < threads; ++worker) {
        threads_.emplace_back([this, worker, start] {
            {
                std::lock_guard moved(mutex_);
                if (!held_) start.Free();
            }
            Work(worker);
        });
        start.Move(threads_.back());
    }
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

void PointPool::Open(int slot, std::size_t first, std::size_t count, std::size_t grain, Task task,
                     bool aside) {
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (s.capacity < count) {
        s.flags.reset();
        s.capacity = BatchRoom(count);
        s.flags = std::make_unique_for_overwrite<Slot::Flags[]>(s.capacity);
        PrepareBatchMemory(s.flags.get(), count * sizeof(Slot::Flags));
    }
    std::fill(s.flags.get() + first, s.flags.get() + count, Slot::Flags{});
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        s.task = std::move(task);
        s.front = first;
        s.back = count;
        s.callerEnd = first;
        s.grain = std::max<std::size_t>(1, grain);
        s.aside = aside;
        s.open = true;
        if (held_) KeepOffCallersCore();
        opened_.fetch_add(1, std::memory_order_relaxed);
        wake = idle_ > 0;
    }
    if (wake) wake_.notify_all();
}

bool PointPool::Take(int slot, std::size_t index) {
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (index < s.callerEnd) return true;
    if (s.Done(index).load(std::memory_order_acquire)) return false;
    std::unique_lock lock(mutex_);
    // Unclaimed: the caller claims a grain from here, no more, since it takes its points in order
    // and the pool's threads claim the rest from the back: a claim of a share of the batch left
    // the pool thread idle at the end of the simplex's batches while the caller went through it.
    // Towards the end it claims a share of what is left, down to a point: the grain is made from
    // the cost of the batch's first points, and where later points cost more (the kink's outer
    // points, up to fourfold), the pool's thread ran out of work at every pass's end while the
    // caller computed a grain of the costliest ones.
    if (index < s.back) {
        const std::size_t share =
            (s.back - index) / (ClaimShare * static_cast<std::size_t>(Threads()));
        s.callerEnd = index + std::clamp<std::size_t>(share, 1, s.grain);
        s.front = s.callerEnd;
        return true;
    }
    if (!s.Started(index).exchange(true)) return true; // claimed, but not started
    if (HelpAside(lock, s, index)) return false;
    if (ownCores_) {
        lock.unlock();
        if (Watch(CallerWatchTime, true,
                  [&] { return s.Done(index).load(std::memory_order_acquire); }))
            return false;
        lock.lock();
    }
    callerWaits_.store(true);
    finished_.wait(lock, [&] { return s.Done(index).load(); });
    callerWaits_.store(false);
    return false;
}

std::size_t PointPool::Computed(int slot, std::size_t index, std::size_t max) {
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    if (index < s.callerEnd) return 0;
    std::size_t count = 0;
    while (count < max && s.Done(index + count).load(std::memory_order_acquire))
        ++count;
    return count;
}

// The point the caller waits for is under way on a pool thread, which at a batch's end may be
// milliseconds: the caller computes the points of a batch set aside meanwhile, from its front,
// which it comes to first once the batch is adopted. Whether the point is done; with the lock.
bool PointPool::HelpAside(std::unique_lock<std::mutex>& lock, Slot& waited, std::size_t index) {
    for (;;) {
        if (waited.Done(index).load()) return true;
        const auto aside =
            std::ranges::find_if(slots_, [](const Slot& s) { return s.open && s.aside; });
        if (aside == slots_.end() || aside->front == aside->back) return false;
        const std::size_t point = aside->front++;
        aside->Started(point).store(true);
        lock.unlock();
        aside->task(point, Threads());
        aside->Done(point).store(true);
        lock.lock();
    }
}

void PointPool::Adopt(int slot) {
    std::lock_guard lock(mutex_);
    slots_[static_cast<std::size_t>(slot)].aside = false;
}

void PointPool::Close(int slot) {
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    std::unique_lock lock(mutex_);
    s.back = s.front;
    finished_.wait(lock, [&] { return s.running == 0; });
    s.open = false;
    s.task = nullptr;
}

void PointPool::HoldApart() {
    std::lock_guard lock(mutex_);
    if (held_ || !ownCores_ || CPU_COUNT(&cores_) < 2) return;
    held_ = true;
    callerCore_ = -1;
    KeepOffCallersCore();
}

void PointPool::Release() {
    std::lock_guard lock(mutex_);
    opened_.fetch_add(1, std::memory_order_relaxed); // no batch follows: the threads sleep now
    if (!held_) return;
    held_ = false;
    for (std::thread& thread : threads_)
        pthread_setaffinity_np(thread.native_handle(), sizeof cores_, &cores_);
}

// With the lock, held apart.
void PointPool::KeepOffCallersCore() {
    const int here = sched_getcpu();
    if (here == callerCore_ || here < 0) return;
    cpu_set_t others = cores_;
    CPU_CLR(here, &others);
    if (CPU_COUNT(&others) == 0) return;
    callerCore_ = here;
    for (std::thread& thread : threads_)
        pthread_setaffinity_np(thread.native_handle(), sizeof others, &others);
}

namespace {

struct KeptPools {
    std::mutex mutex;
    std::map<int, std::unique_ptr<PointPool>> byThreads;
};
// Never destroyed: a user may give its pool back as the process ends.
KeptPools& Kept() {
    static KeptPools* kept = new KeptPools;
    return *kept;
}

} // namespace

std::unique_ptr<PointPool> PointPool::TakeKept(int threads, int slots) {
    KeptPools& kept = Kept();
    std::lock_guard lock(kept.mutex);
    const auto pool = kept.byThreads.find(threads);
    if (pool == kept.byThreads.end() || !pool->second ||
        pool->second->slots_.size() < static_cast<std::size_t>(slots))
        return nullptr;
    return std::move(pool->second);
}

void PointPool::Keep(std::unique_ptr<PointPool> pool) {
    KeptPools& kept = Kept();
    {
        std::lock_guard lock(kept.mutex);
        std::unique_ptr<PointPool>& place = kept.byThreads[pool->Threads()];
        if (!place) place = std::move(pool);
    }
    // pool, where one is kept already, ends here, outside the lock
}

void PointPool::FinishEachThread() {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return eachLeft_ == 0; });
    eachTask_ = nullptr;
}

void PointPool::OnEachThread(std::function<void(int worker)> task) {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return eachLeft_ == 0; });
    eachTask_ = std::move(task);
    eachLeft_ = threads_.size();
    ++eachRound_;
    opened_.fetch_add(1, std::memory_order_relaxed);
    wake_.notify_all();
}

// Of a few points left, a thread's share: a thread that claimed only one of the four points of
// a batch of the order-10 box's inner levels found the rest taken when it was done, and the
// caller computed three of the four.
std::size_t PointPool::Claim(const Slot& s) const {
    if (s.aside) return s.grain;
    const std::size_t left = s.back - s.front, threads = static_cast<std::size_t>(Threads());
    if (left <= ClaimShare * threads) return std::max(s.grain, (left + threads - 1) / threads);
    return std::max(s.grain, left / (ClaimShare * threads));
}

// A pool thread leaves the last unclaimed point of a batch to the caller, which computes it with
// the help of the threads in its inner levels instead of waiting for it at the batch's end; not so
// a batch set aside, whose first point the caller comes to only once it has done other work.
PointPool::Slot* PointPool::Highest() {
    Slot* aside = nullptr;
    for (auto s = slots_.rbegin(); s != slots_.rend(); ++s)
        if (s->open && s->back - s->front > (s->aside ? 0u : 1u)) {
            if (!s->aside) return &*s;
            if (!aside) aside = &*s;
        }
    return aside;
}

// Batches follow each other closely inside a computation: a thread out of work watches for the
// next one for a moment before it sleeps, which spares the caller the call that wakes it.
void PointPool::WatchForOpen(std::unique_lock<std::mutex>& lock) {
    const uint64_t seen = opened_.load(std::memory_order_relaxed);
    watching_.fetch_add(1, std::memory_order_relaxed);
    lock.unlock();
    Watch(WatchTime, false, [&] { return opened_.load(std::memory_order_relaxed) != seen; });
    watching_.fetch_sub(1, std::memory_order_relaxed);
    lock.lock();
}

void PointPool::Work(int worker) {
    std::unique_lock lock(mutex_);
    bool watched = true; // a thread just started sleeps until it is wanted
    uint64_t eachRun = 0;
    for (;;) {
        if (eachRun != eachRound_ && !stopping_) {
            eachRun = eachRound_;
            lock.unlock();
            eachTask_(worker);
            lock.lock();
            if (--eachLeft_ == 0) finished_.notify_all();
            continue;
        }
        Slot* s = Highest();
        if (!s) {
            if (stopping_) return;
            if (!watched) {
                watched = true;
                WatchForOpen(lock);
                continue;
            }
            watched = false;
            ++idle_;
            wake_.wait(lock);
            --idle_;
            continue;
        }
        watched = false;
        const std::size_t end = s->back;
        const std::size_t begin = end - std::min(Claim(*s), end - s->front - (s->aside ? 0 : 1));
        s->back = begin;
        ++s->running;
        const Task& task = s->task;
        lock.unlock();
        // From the claim's back, until the point that the caller has taken.
        for (std::size_t i = end; i-- > begin && !s->Started(i).exchange(true);) {
            task(i, worker);
            // Sequentially consistent with the caller's wait: one of the two sees the other.
            s->Done(i).store(true);
            if (callerWaits_.load()) {
                std::lock_guard waking(mutex_);
                finished_.notify_all();
            }
        }
        lock.lock();
        --s->running;
        finished_.notify_all();
    }
}

} // namespace vantrel
