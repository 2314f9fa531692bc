// The pool hands every point of a batch to exactly one thread, and the caller never waits for a
// point of a pool thread's claim that the thread has not started: here the thread holds its first
// point until the caller has visited every other point of the batch. A task for each thread runs
// once on every pool thread before any point the thread computes, again in a second round; there
// the threads may run on every core the process may (they only start apart from the caller's).
#include "engine/PointPool.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

// The caller watches a point under way for a moment before it sleeps: the thread finishes it at
// once, or well after the caller has gone to sleep, and wakes it.
class CallerWaits : public testing::TestWithParam<std::chrono::milliseconds> {};

TEST_P(CallerWaits, TheCallerTakesWhatAClaimHasNotStarted) {
    constexpr std::size_t Points = 64;
    PointPool pool(2, 1);
    std::vector<std::atomic<int>> computed(Points);
    std::mutex mutex;
    std::condition_variable changed;
    bool started = false, visited = false;
    pool.Open(0, 0, Points, 1, [&](std::size_t index, int) {
        std::unique_lock lock(mutex);
        if (!started) {
            started = true;
            changed.notify_all();
            changed.wait_for(lock, std::chrono::seconds(10), [&] { return visited; });
            lock.unlock();
            std::this_thread::sleep_for(GetParam());
            lock.lock();
        }
        ++computed[index];
    });
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(10), [&] { return started; }));
    }
    std::vector<std::size_t> waitedFor;
    for (std::size_t index = 0; index < Points; ++index) {
        if (index == Points - 1) {
            std::lock_guard lock(mutex);
            visited = true;
            changed.notify_all();
        }
        if (pool.Take(0, index))
            ++computed[index];
        else
            waitedFor.push_back(index);
    }
    pool.Close(0);
    EXPECT_EQ(waitedFor, std::vector<std::size_t>{Points - 1}) << "the thread's first point only";
    for (std::size_t index = 0; index < Points; ++index)
        EXPECT_EQ(computed[index], 1) << index;
}

INSTANTIATE_TEST_SUITE_P(PointPool, CallerWaits,
                         testing::Values(std::chrono::milliseconds(0),
                                         std::chrono::milliseconds(20)));

TEST(PointPool, RunsATaskOnEachOfItsThreadsBeforeItsPoints) {
    cpu_set_t process;
    ASSERT_EQ(sched_getaffinity(0, sizeof process, &process), 0);
    PointPool pool(4, 1);
    for (int round = 0; round < 2; ++round) {
        std::mutex mutex;
        std::set<int> workers;
        std::set<std::thread::id> threads;
        int confined = 0;
        pool.OnEachThread([&](int worker) {
            std::this_thread::sleep_for(std::chrono::milliseconds(worker)); // the points wait
            cpu_set_t cores;
            sched_getaffinity(0, sizeof cores, &cores);
            std::lock_guard lock(mutex);
            workers.insert(worker);
            threads.insert(std::this_thread::get_id());
            confined += CPU_EQUAL(&cores, &process) ? 0 : 1;
        });
        std::atomic<int> before{0};
        pool.Open(0, 0, 64, 1, [&](std::size_t, int worker) {
            std::lock_guard lock(mutex);
            before += workers.contains(worker) ? 0 : 1;
        });
        for (std::size_t index = 0; index < 64; ++index)
            pool.Take(0, index);
        pool.Close(0);
        EXPECT_EQ(before, 0) << "a point before the thread's task";
        pool.OnEachThread([](int) {}); // returns once the task before has run everywhere
        std::lock_guard lock(mutex);
        EXPECT_EQ(workers, (std::set<int>{1, 2, 3}));
        EXPECT_EQ(threads.size(), 3u);
        EXPECT_FALSE(threads.contains(std::this_thread::get_id()));
        EXPECT_EQ(confined, 0) << "a thread kept from cores the process may use";
    }
}

// A batch set aside is the pool's only once no other batch has points for it, and then a grain
// at a time from its back; adopted, it is the caller's like any other, which takes what the
// thread computed.
TEST(PointPool, TurnsToABatchSetAsideLast) {
    constexpr std::size_t Points = 8;
    constexpr int Aside = 1, Other = 0; // the batch set aside in the higher slot
    PointPool pool(2, 2);
    std::mutex mutex;
    std::vector<int> threadSlots; // of the points the pool's thread computed, in order
    std::vector<std::atomic<int>> computed(2 * Points);
    const auto task = [&](int slot) {
        return [&, slot](std::size_t index, int worker) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ++computed[static_cast<std::size_t>(slot) * Points + index];
            std::lock_guard lock(mutex);
            if (worker > 0) threadSlots.push_back(slot);
        };
    };
    std::latch opened(1); // the thread looks for points once both batches are open
    pool.OnEachThread([&](int) { opened.wait(); });
    pool.Open(Aside, 0, Points, 1, task(Aside), true);
    pool.Open(Other, 0, Points, 1, task(Other));
    opened.count_down();
    // The caller takes its points once the thread has computed one.
    for (int wait = 0; wait < 10000; ++wait) {
        {
            std::lock_guard lock(mutex);
            if (!threadSlots.empty()) break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (const int slot : {Other, Aside}) {
        if (slot == Aside) pool.Adopt(Aside);
        for (std::size_t index = 0; index < Points; ++index)
            if (pool.Take(slot, index)) task(slot)(index, 0);
        pool.Close(slot);
    }
    std::lock_guard lock(mutex);
    ASSERT_FALSE(threadSlots.empty());
    EXPECT_EQ(threadSlots.front(), Other);
    EXPECT_TRUE(std::ranges::is_sorted(threadSlots)) << "back to the batch not set aside";
    for (std::size_t i = 0; i < computed.size(); ++i)
        EXPECT_EQ(computed[i], 1) << i;
}

// A batch set aside is the pool's to the last point: the caller, busy elsewhere, comes to its first
// point only once it is adopted.
TEST(PointPool, ComputesEveryPointOfABatchSetAside) {
    constexpr std::size_t Points = 4;
    PointPool pool(2, 1);
    std::atomic<std::size_t> computed{0};
    pool.Open(
        0, 0, Points, 1, [&](std::size_t, int) { ++computed; }, true);
    for (int wait = 0; wait < 10000 && computed < Points; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    pool.Adopt(0);
    for (std::size_t index = 0; index < Points; ++index)
        EXPECT_FALSE(pool.Take(0, index)) << index;
    pool.Close(0);
    EXPECT_EQ(computed, Points);
}

// The caller that waits for a point under way on a pool thread computes the points of a batch set
// aside meanwhile, from its front, as the worker after the pool's threads.
TEST(PointPool, TheCallerComputesABatchSetAsideWhileItWaits) {
    constexpr std::size_t Points = 8;
    PointPool pool(2, 2);
    std::atomic<bool> started{false};
    std::atomic<int> helped{0};
    std::vector<std::atomic<int>> computed(Points);
    std::vector<std::size_t> byCaller;
    pool.Open(0, 0, 2, 1, [&](std::size_t, int) { // the thread's point, until the caller has helped
        started = true;
        for (int wait = 0; wait < 10000 && helped == 0; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    for (int wait = 0; wait < 10000 && !started; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto task = [&](std::size_t index, int worker) {
        ++computed[index];
        if (worker != 2) return;
        byCaller.push_back(index);
        ++helped;
    };
    pool.Open(1, 0, Points, 1, task, true);
    EXPECT_TRUE(pool.Take(0, 0));
    EXPECT_FALSE(pool.Take(0, 1));
    pool.Close(0);
    pool.Adopt(1);
    for (std::size_t index = 0; index < Points; ++index)
        if (pool.Take(1, index)) task(index, 0);
    pool.Close(1);
    ASSERT_FALSE(byCaller.empty());
    for (std::size_t i = 0; i < byCaller.size(); ++i)
        EXPECT_EQ(byCaller[i], i);
    for (std::size_t i = 0; i < Points; ++i)
        EXPECT_EQ(computed[i], 1) << i;
}

// Held apart, the pool's threads keep off the caller's core, and follow it when it has moved by
// the time it opens a batch; released, they may run on every core the process may again. The
// caller is never confined.
TEST(PointPool, HoldsItsThreadsOffTheCallersCore) {
    cpu_set_t process;
    ASSERT_EQ(sched_getaffinity(0, sizeof process, &process), 0);
    std::vector<int> cores;
    for (int core = 0; core < CPU_SETSIZE; ++core)
        if (CPU_ISSET(core, &process)) cores.push_back(core);
    if (cores.size() < 2) GTEST_SKIP() << "one core";
    PointPool pool(2, 1);
    const auto threadCores = [&pool] {
        cpu_set_t set;
        pool.OnEachThread([&set](int) { sched_getaffinity(0, sizeof set, &set); });
        pool.OnEachThread([](int) {}); // returns once the task before has run
        return set;
    };
    const auto moveCaller = [](int core) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(core, &one);
        sched_setaffinity(0, sizeof one, &one);
    };
    for (const int core : {cores[0], cores[1]}) {
        moveCaller(core);
        pool.HoldApart();
        sched_setaffinity(0, sizeof process, &process);
        cpu_set_t threads = threadCores();
        EXPECT_EQ(CPU_COUNT(&threads), CPU_COUNT(&process) - 1);
        EXPECT_FALSE(CPU_ISSET(core, &threads));

        const int other = core == cores[0] ? cores[1] : cores[0];
        moveCaller(other);
        pool.Open(0, 0, 1, 1, [](std::size_t, int) {});
        pool.Take(0, 0);
        pool.Close(0);
        sched_setaffinity(0, sizeof process, &process);
        threads = threadCores();
        EXPECT_FALSE(CPU_ISSET(other, &threads)) << "not moved off the caller's new core";
        EXPECT_TRUE(CPU_ISSET(core, &threads));

        pool.Release();
        threads = threadCores();
        EXPECT_TRUE(CPU_EQUAL(&threads, &process));
    }
}

// A pool kept for the process goes to one user at a time, with enough slots; a second pool of the
// same threads is not kept. (Four threads: the integrators of other tests keep pools of theirs.)
TEST(PointPool, KeptForOneUserAtATime) {
    auto pool = std::make_unique<PointPool>(4, 2);
    const PointPool* kept = pool.get();
    PointPool::Keep(std::move(pool));
    EXPECT_EQ(PointPool::TakeKept(4, 3), nullptr) << "too few slots";
    std::unique_ptr<PointPool> taken = PointPool::TakeKept(4, 2);
    EXPECT_EQ(taken.get(), kept);
    EXPECT_EQ(PointPool::TakeKept(4, 1), nullptr) << "taken";
    PointPool::Keep(std::move(taken));
    PointPool::Keep(std::make_unique<PointPool>(4, 2));
    EXPECT_EQ(PointPool::TakeKept(4, 2).get(), kept);
}

} // namespace
} // namespace vantrel
