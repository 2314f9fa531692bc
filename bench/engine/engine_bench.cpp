// Whole computations through the engine beside the same scheme with the integrand compiled in
// (the native floor), and the speedup of two threads over one on problems large and small,
// printed as tables of times and ratios. Each case runs a few times and the fastest run counts,
// which is the least disturbed by the rest of the machine.
#include "bench/engine/FreshCodeCache.h"
#include "cli/Solver.h"
#include "engine/BooleScheme.h"
#include "script/NumberFormat.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

class Quiet : public Reporter {
public:
    MsgResult Show(const Message&) override { return MsgResult::OK; }
};

struct Case {
    std::string name;
    ProblemRead problem;
    // The integrand on the values the variables hold, level 0 first.
    std::function<double(const double*)> native;
};

Case Box10() {
    Case c;
    c.name = "order-10 box, x1+...+x10";
    c.problem.order = 10;
    c.problem.maxError = 0.01;
    c.problem.integrand = "x1+x2+x3+x4+x5+x6+x7+x8+x9+x10";
    for (int k = 1; k <= 10; ++k) {
        std::string name = "x";
        name += std::to_string(k);
        c.problem.levels.push_back({name, "0", "1", 4});
    }
    c.native = [](const double* v) {
        return v[0] + v[1] + v[2] + v[3] + v[4] + v[5] + v[6] + v[7] + v[8] + v[9];
    };
    return c;
}

Case Oscillatory3() {
    Case c;
    c.name = "order-3 oscillatory, Cos(2*pi*0.3+x+y+z)";
    c.problem.order = 3;
    c.problem.maxError = 1e-10;
    c.problem.integrand = "Cos(2*pi*0.3+x+y+z)";
    for (const char* v : {"x", "y", "z"})
        c.problem.levels.push_back({v, "0", "1", 4});
    c.native = [](const double* v) {
        return std::cos(2 * (std::atan(1.0) * 4) * 0.3 + v[0] + v[1] + v[2]);
    };
    return c;
}

// The scheme with the integrand compiled in. With rounding, the variables hold their values
// rounded to 15 digits as the engine stores them, so that the result is the engine's to the
// bit; only a changed value is rounded again.
template <bool Rounding> struct NativePolicy {
    Dimension& d;
    const std::function<double(const double*)>& f;
    uint64_t evaluations = 0;
    double values[Dimension::MaxOrder] = {};
    double last[Dimension::MaxOrder] = {};
    bool assigned[Dimension::MaxOrder] = {};

    void SetVars() {
        for (int k = 0; k < d.Order; ++k) {
            if constexpr (Rounding) {
                if (!assigned[k] || d.VarVal[k] != last[k]) {
                    assigned[k] = true;
                    last[k] = d.VarVal[k];
                    values[k] = Round15(d.VarVal[k]);
                }
            } else {
                values[k] = d.VarVal[k];
            }
        }
    }
    double EvalLimit(int L, bool upper) { return std::stod(upper ? d.ULText[L] : d.LLText[L]); }
    bool MidpointReusable(int) { return true; } // constant limits
    double EvalF() {
        SetVars();
        ++evaluations;
        return f(values);
    }
};

template <bool Rounding> double NativeRun(const Case& c, double& value, uint64_t& evaluations) {
    Dimension d;
    d.RecreateLevelArrays(c.problem.order);
    d.MaxError = c.problem.maxError;
    for (int L = 0; L < c.problem.order; ++L) {
        d.VarNam[L] = c.problem.levels[L].name;
        d.LLText[L] = c.problem.levels[L].lower;
        d.ULText[L] = c.problem.levels[L].upper;
        d.MinSub[L] = c.problem.levels[L].minSub;
    }
    d.Level = d.Order;
    NativePolicy<Rounding> policy{d, c.native};
    const auto start = std::chrono::steady_clock::now();
    BooleScheme<NativePolicy<Rounding>>(d, policy).Compute();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    value = d.Integ[d.Order - 1];
    evaluations = policy.evaluations;
    return seconds.count();
}

double Fastest(int runs, const std::function<double()>& run) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, run());
    return best;
}

void Compare(const Case& c, int runs) {
    Quiet quiet;
    SolveResult engine;
    const double sequentialSeconds = Fastest(runs, [&] {
        engine = Solve(c.problem, quiet, 1);
        return engine.seconds;
    });
    const double engineSeconds = Fastest(runs, [&] {
        engine = Solve(c.problem, quiet);
        return engine.seconds;
    });
    double plainValue = 0, roundedValue = 0;
    uint64_t plainCount = 0, roundedCount = 0;
    const double plain = Fastest(runs, [&] { return NativeRun<false>(c, plainValue, plainCount); });
    const double rounded =
        Fastest(runs, [&] { return NativeRun<true>(c, roundedValue, roundedCount); });
    std::printf("%s\n", c.name.c_str());
    std::printf("  %-34s %10.4f s  engine/floor %.2f\n", "engine, one thread", sequentialSeconds,
                sequentialSeconds / plain);
    std::printf("  %-34s %10.4f s  %12llu points  value %.17g\n", "engine, every core",
                engineSeconds, static_cast<unsigned long long>(engine.evaluations),
                engine.value.value_or(NAN));
    std::printf("  %-34s %10.4f s  %12llu points  value %.17g  engine/floor %.2f\n", "native floor",
                plain, static_cast<unsigned long long>(plainCount), plainValue,
                engineSeconds / plain);
    std::printf("  %-34s %10.4f s  %12llu points  value %.17g  engine/floor %.2f  %s\n",
                "native floor, 15-digit variables", rounded,
                static_cast<unsigned long long>(roundedCount), roundedValue,
                engineSeconds / rounded,
                engine.value && *engine.value == roundedValue ? "same bits" : "DIFFERENT");
}

ProblemRead Problem(double maxError, const std::string& integrand,
                    std::vector<LevelRecord> levels) {
    ProblemRead p;
    p.order = static_cast<int32_t>(levels.size());
    p.maxError = maxError;
    p.integrand = integrand;
    p.levels = std::move(levels);
    return p;
}

// Runs f with the calling thread kept to one core; the threads it starts keep to that core too.
double OnCore(int core, const std::function<double()>& f) {
    cpu_set_t before;
    pthread_getaffinity_np(pthread_self(), sizeof before, &before);
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(core, &one);
    pthread_setaffinity_np(pthread_self(), sizeof one, &one);
    const double seconds = f();
    pthread_setaffinity_np(pthread_self(), sizeof before, &before);
    return seconds;
}

// Two threads against one, the runs taken in turn. The two virtual cores of a shared host need
// not be alike: the other guests' work slows one of them, by half at times, for minutes. So one
// thread's time is the faster of one run kept to each core, and what two cores can give at the
// moment is measured beside it: the same sequential computation on both at once, as work done
// against the faster one alone (for equal cores left alone, 2).
void Speedups(int runs) {
    const struct {
        const char* name;
        ProblemRead problem;
    } cases[] = {
        {"Gaussian over the unit disk, 1E-8",
         Problem(1e-8, "Exp(-(x*x+y*y))",
                 {{"y", "-Sqr(1-x^2)", "Sqr(1-x^2)", 4}, {"x", "-1", "1", 4}})},
        {"4-simplex Exp(t*z+y*x), 1E-10",
         Problem(1e-10, "Exp(t*z+y*x)",
                 {{"t", "0", "z", 4}, {"z", "0", "y", 4}, {"y", "0", "x", 4}, {"x", "0", "1", 4}})},
        {"order-10 box, 0.01", Box10().problem},
        {"2-D kink, 1E-6", Problem(1e-6, "Exp(-(4*Abs(x-0.4)+6*Abs(y-0.65)))",
                                   {{"x", "0", "1", 4}, {"y", "0", "1", 4}})},
        {"3-D oscillatory, 1E-6",
         Problem(1e-6, "Cos(2*pi*0.2+1.2*x+0.8*y+1.6*z)",
                 {{"x", "0", "1", 4}, {"y", "0", "1", 4}, {"z", "0", "1", 4}})},
    };
    if (std::thread::hardware_concurrency() < 2) return;
    std::printf(
        "\nTwo threads against one, %d runs of each taken in turn after a first run that\n"
        "compiles the code (later runs take it at once): one thread's time is the faster of\n"
        "a run kept to core 0 and one kept to core 1; two cores is what the same sequential\n"
        "computation on both cores at once gives as work done against that (the floor: 2 for\n"
        "equal cores left alone); the fastest times, and the medians of the speedups of\n"
        "neighbouring runs, of the two cores and of the speedup's share of them\n",
        runs);
    std::printf("  %-36s %12s %12s %12s %8s %8s %8s\n", "problem", "first run", "1 thread",
                "2 threads", "speedup", "2 cores", "share");
    Quiet quiet;
    for (const auto& c : cases) {
        double best[2] = {1e300, 1e300};
        std::optional<double> value[2];
        std::vector<double> speedups, cores, shares;
        const double first = Solve(c.problem, quiet, 1).seconds; // compiles the code
        const auto alone = [&](int core) {
            return OnCore(core, [&] {
                const SolveResult result = Solve(c.problem, quiet, 1);
                value[0] = result.value;
                return result.seconds;
            });
        };
        for (int run = 0; run < runs; ++run) {
            const double one = std::min(alone(0), alone(1));
            const SolveResult two = Solve(c.problem, quiet, 2);
            value[1] = two.value;
            double onCore1 = 0;
            std::thread second([&] { onCore1 = alone(1); });
            const double onCore0 = alone(0);
            second.join();
            best[0] = std::min(best[0], one);
            best[1] = std::min(best[1], two.seconds);
            speedups.push_back(one / two.seconds);
            cores.push_back(one / onCore0 + one / onCore1);
            shares.push_back(speedups.back() / cores.back());
        }
        for (auto* list : {&speedups, &cores, &shares})
            std::sort(list->begin(), list->end());
        const bool same = value[0] && value[1] &&
                          std::bit_cast<uint64_t>(*value[0]) == std::bit_cast<uint64_t>(*value[1]);
        std::printf("  %-36s %10.5f s %10.5f s %10.5f s %8.2f %8.2f %8.2f  %s\n", c.name, first,
                    best[0], best[1], speedups[speedups.size() / 2], cores[cores.size() / 2],
                    shares[shares.size() / 2], same ? "same bits" : "DIFFERENT");
    }
}

} // namespace
} // namespace vantrel

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const vantrel::FreshCodeCache cache;
    vantrel::Compare(vantrel::Oscillatory3(), runs);
    vantrel::Compare(vantrel::Box10(), runs);
    vantrel::Speedups(2 * runs + 1); // an odd count: the median is one of the ratios
}
