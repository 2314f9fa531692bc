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

// Seconds of a chain of dependent multiplications and additions: no memory, no branches.
double Spin(long steps) {
    const auto start = std::chrono::steady_clock::now();
    double x = 1;
    for (long i = 0; i < steps; ++i)
        x = x * 1.0000001 + 1e-9;
    __asm__ volatile("" : : "x"(x)); // the chain's result is wanted
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What two threads give on this machine now, as work done against one thread: the floor of every
// speedup below. On a shared host two virtual cores do not always give twice one core's work.
double MachineSpeedup() {
    constexpr long Steps = 20000000;
    const double alone = Spin(Steps);
    double other = 0;
    std::thread second([&] { other = Spin(Steps); });
    const double mine = Spin(Steps);
    second.join();
    return 2 * alone / std::max(mine, other);
}

// Two of the same sequential computation at once, each on a thread of its own, as work done
// against the one-thread run just before: the floor of this problem's speedup, where its memory
// traffic and the C library's functions share the machine as plain arithmetic does not.
double SideBySide(const ProblemRead& problem, double alone) {
    double other = 0;
    std::thread second([&] {
        Quiet quiet;
        other = Solve(problem, quiet, 1).seconds;
    });
    Quiet quiet;
    const double mine = Solve(problem, quiet, 1).seconds;
    second.join();
    return 2 * alone / std::max(mine, other);
}

// Two threads against one, the runs of the two taken in turn.
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
    std::printf(
        "\nTwo threads against one, %d runs of each taken in turn after a first run that\n"
        "compiles the code (later runs take it at once): the fastest of each, and\n"
        "the median of the ratios of runs taken one after the other (the machine's speed\n"
        "drifts between runs on a shared host; neighbouring runs see the same), and the\n"
        "medians of what two of the same sequential computation side by side (2 alike) and\n"
        "two threads of plain arithmetic (machine) gave beside each pair, as work done\n"
        "against one: the floors\n",
        runs);
    std::printf("  %-36s %12s %12s %12s %8s %8s %8s %8s\n", "problem", "first run", "1 thread",
                "2 threads", "fastest", "median", "2 alike", "machine");
    Quiet quiet;
    for (const auto& c : cases) {
        double best[2] = {1e300, 1e300};
        SolveResult result[2];
        std::vector<double> ratios, machine, sideBySide;
        const double first = Solve(c.problem, quiet, 1).seconds; // compiles the code
        for (int run = 0; run < runs; ++run) {
            for (int t = 0; t < 2; ++t) {
                result[t] = Solve(c.problem, quiet, t + 1);
                best[t] = std::min(best[t], result[t].seconds);
            }
            ratios.push_back(result[0].seconds / result[1].seconds);
            machine.push_back(MachineSpeedup());
            sideBySide.push_back(SideBySide(c.problem, result[0].seconds));
        }
        for (auto* list : {&ratios, &machine, &sideBySide})
            std::sort(list->begin(), list->end());
        const bool same =
            result[0].value && result[1].value &&
            std::bit_cast<uint64_t>(*result[0].value) == std::bit_cast<uint64_t>(*result[1].value);
        std::printf("  %-36s %10.5f s %10.5f s %10.5f s %8.2f %8.2f %8.2f %8.2f  %s\n", c.name,
                    first, best[0], best[1], best[0] / best[1], ratios[ratios.size() / 2],
                    sideBySide[sideBySide.size() / 2], machine[machine.size() / 2],
                    same ? "same bits" : "DIFFERENT");
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
