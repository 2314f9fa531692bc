// The lean floor of two threads against one: the scheme of two levels written plainly, the
// integrand and the limits inlined (the inner level's limits functions of the outer variable),
// the same points, sums and order as the integrator's. With two threads, a second thread is
// started as the computation starts (in the time measured, as the engine's pool starts in a new
// process) and shares every refinement of the outer level with the first, a few points claimed at
// a time and never asleep, while the first adds the values in the scheme's order: what two
// threads give on this machine at best, with nothing but the scheme to compute.
// Prints the seconds and the value of one thread, of its second computation in the same process,
// then of two threads and of their second computation.
// Usage: lean_threads disk|kink
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <pthread.h>
#include <sched.h>
#include <thread>

namespace {

constexpr int MinSub = 4;
constexpr std::size_t ClaimPoints = 64;

// Boole's rule on a level, refined until two estimates agree, the midpoint taken once;
// newPoints(first, step, n) is the sum of a refinement's n new points' values, added in order.
template <class F, class NewPoints>
double Level(double A, double B, double maxError, F f, NewPoints newPoints) {
    int n = 2;
    double h = (B - A) / n;
    if (h == 0) return 0;
    const double fa = f(A), fb = f(B), mid = f(h + A);
    double prev = (4 * mid + fa + fb) * (h / 3);
    n *= 2;
    h = h / 2;
    double sum14 = 0, sum7 = fb + fa, sum12 = mid, sum32 = f(h + A);
    sum32 = f(3 * h + A) + sum32;
    double integ = (((12 * sum12 + 7 * sum7) + 32 * sum32) * 2) * h / 45;
    while (!(std::fabs(integ - prev) < maxError && n >= MinSub)) {
        sum14 = sum12 + sum14;
        sum12 = sum32;
        prev = integ;
        const double partial = (12 * sum12 + 7 * sum7) + 14 * sum14;
        sum32 = newPoints(h / 2 + A, h, static_cast<std::size_t>(n));
        integ = ((32 * sum32 + partial) * h) / 45;
        h = h / 2;
        n *= 2;
    }
    return integ;
}

// The outer level's refinements, shared with a second thread that waits for them spinning.
class Shared {
public:
    // The helper starts on another core than this thread's: left to the system, a new thread
    // was seen to share its creator's core for tens of milliseconds while the other idled.
    explicit Shared(bool two) {
        if (!two) return;
        cpu_set_t all, others;
        sched_getaffinity(0, sizeof all, &all);
        others = all;
        CPU_CLR(sched_getcpu(), &others);
        helper_ = std::thread([this, all] {
            pthread_setaffinity_np(pthread_self(), sizeof all, &all);
            Help();
        });
        pthread_setaffinity_np(helper_.native_handle(), sizeof others, &others);
    }
    ~Shared() {
        if (!helper_.joinable()) return;
        round_.store(-1);
        helper_.join();
    }

    void Compute(std::size_t count, std::function<void(std::size_t)> work) {
        if (!helper_.joinable()) {
            for (std::size_t i = 0; i < count; ++i)
                work(i);
            return;
        }
        work_ = std::move(work);
        count_ = count;
        next_.store(0);
        left_.store(2);
        round_.store(round_.load() + 1);
        Share();
        while (left_.load() != 0)
            std::this_thread::yield();
    }

private:
    void Share() {
        for (std::size_t begin; (begin = next_.fetch_add(ClaimPoints)) < count_;)
            for (std::size_t i = begin; i < std::min(count_, begin + ClaimPoints); ++i)
                work_(i);
        left_.fetch_sub(1);
    }
    void Help() {
        for (int seen = 0;;) {
            int round;
            while ((round = round_.load()) == seen)
                std::this_thread::yield();
            if (round < 0) return;
            seen = round;
            Share();
        }
    }

    std::thread helper_;
    std::atomic<int> round_{0}, left_{0};
    std::atomic<std::size_t> next_{0};
    std::size_t count_ = 0;
    std::function<void(std::size_t)> work_;
};

// Room for a refinement's points or values, not filled when it is made: each value is written by
// the thread that computes it, so that the fresh pages of the values are not all met by one.
class Room {
public:
    double* Of(std::size_t count) {
        if (count > size_) {
            size_ = count * 4;
            room_ = std::make_unique_for_overwrite<double[]>(size_);
        }
        return room_.get();
    }

private:
    std::unique_ptr<double[]> room_;
    std::size_t size_ = 0;
};

// The threads and the rooms of the outer level's refinements, kept from one computation to the
// next: a later computation finds its thread started and its memory written before.
struct Threads {
    explicit Threads(bool two) : shared(two) {}
    Shared shared;
    Room points, values;
};

// inner(outer) is the inner level's integral; lower and upper are the outer level's limits.
template <class Integral>
double Outer(double lower, double upper, double maxError, Threads& threads, Integral inner) {
    Shared& shared = threads.shared;
    return Level(lower, upper, maxError, inner, [&](double first, double step, std::size_t n) {
        double* const xs = threads.points.Of(n);
        double* const values = threads.values.Of(n);
        double x = first;
        for (std::size_t i = 0; i < n; ++i) {
            xs[i] = x;
            x = step + x;
        }
        shared.Compute(n, [&](std::size_t i) { values[i] = inner(xs[i]); });
        double sum = values[0];
        for (std::size_t i = 1; i < n; ++i)
            sum = values[i] + sum;
        return sum;
    });
}

template <class F> double Inner(double lower, double upper, double maxError, F f) {
    return Level(lower, upper, maxError, f, [&](double first, double step, std::size_t n) {
        double x = first, sum = f(x);
        for (std::size_t i = 1; i < n; ++i) {
            x = step + x;
            sum = f(x) + sum;
        }
        return sum;
    });
}

// The Gaussian over the unit disk, y from -Sqr(1-x^2) to Sqr(1-x^2), x from -1 to 1, 1E-8.
double Disk(Threads& threads) {
    return Outer(-1, 1, 1e-8, threads, [](double x) {
        const double r = std::sqrt(1 - x * x);
        return Inner(-r, r, 1e-8, [x](double y) { return std::exp(-(x * x + y * y)); });
    });
}

// The kink Exp(-(4*Abs(x-0.4)+6*Abs(y-0.65))) on the unit square, x inside, 1E-6.
double Kink(Threads& threads) {
    return Outer(0, 1, 1e-6, threads, [](double y) {
        return Inner(0, 1, 1e-6, [y](double x) {
            return std::exp(-(4 * std::fabs(x - 0.4) + 6 * std::fabs(y - 0.65)));
        });
    });
}

} // namespace

int main(int argc, char** argv) {
    double (*problem)(Threads&) = argc > 1 && std::strcmp(argv[1], "kink") == 0 ? Kink : Disk;
    for (const bool two : {false, true}) {
        auto start = std::chrono::steady_clock::now();
        Threads threads(two);
        for (int computation = 0; computation < 2; ++computation) {
            const double value = problem(threads);
            const auto end = std::chrono::steady_clock::now();
            std::printf("%.9f %.17g ", std::chrono::duration<double>(end - start).count(), value);
            start = end;
        }
    }
    std::printf("\n");
}
