// The engine beside the lean native floor (LeanScheme.h: the same scheme with the integrand
// inlined) on four standard problems, one thread, in one run: nanoseconds per integrand point
// for each, their ratio, and whether both give the same bits. Each side runs a few times,
// alternately, and its fastest run counts, the least disturbed by the rest of the machine. The
// engine's first run starts from an empty code cache and compiles; the later ones run that code
// from their start, as a later computation of the same integrand in one process does (the
// window's next Integrate, the solver's next file). Times are the thread's processor time, which
// a machine shared with other work disturbs far less than the clock on the wall.
#include "bench/engine/FreshCodeCache.h"
#include "bench/engine/LeanScheme.h"
#include "cli/Solver.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace vantrel {
namespace {

class Quiet : public Reporter {
public:
    MsgResult Show(const Message&) override { return MsgResult::OK; }
};

ProblemRead UnitCube(const std::string& integrand, const char* const* names, int order,
                     double maxError) {
    ProblemRead p;
    p.order = order;
    p.maxError = maxError;
    p.integrand = integrand;
    for (int k = 0; k < order; ++k)
        p.levels.push_back({names[k], "0", "1", 4});
    return p;
}

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Side {
    double seconds = 1e300;
    uint64_t points = 0;
    double value = 0;
    double NanosecondsPerPoint() const { return seconds * 1e9 / static_cast<double>(points); }
};

template <int Order, class Integrand> Side Lean(const ProblemRead& problem, Integrand f) {
    LeanScheme<Order, Integrand> scheme(0, 1, problem.maxError, 4, f);
    Side lean;
    const double start = ThreadSeconds();
    lean.value = scheme.Integral();
    lean.seconds = ThreadSeconds() - start;
    lean.points = scheme.Points();
    return lean;
}

void Fastest(Side& best, const Side& run) {
    const double seconds = std::min(best.seconds, run.seconds);
    best = run;
    best.seconds = seconds;
}

bool Same(const Side& a, const Side& b) {
    return std::bit_cast<uint64_t>(a.value) == std::bit_cast<uint64_t>(b.value) &&
           a.points == b.points;
}

// inlined is the integrand as a compiler makes it; withPow the same with every ^ a call of the C
// library's pow, as the language computes it (the compiler turns pow(v, 2) into v * v, which
// differs from pow's result for about one double in a thousand).
template <int Order, class Inlined, class WithPow>
void Compare(const char* name, const ProblemRead& problem, Inlined inlined, WithPow withPow,
             int runs) {
    Quiet quiet;
    Side first, engine, lean, leanPow;
    for (int run = 0; run <= runs; ++run) {
        const double start = ThreadSeconds();
        const SolveResult result = Solve(problem, quiet, 1);
        Fastest(run == 0 ? first : engine,
                {ThreadSeconds() - start, result.evaluations, result.value.value_or(NAN)});
        Fastest(lean, Lean<Order>(problem, inlined));
        Fastest(leanPow, Lean<Order>(problem, withPow));
    }
    const double ns = engine.NanosecondsPerPoint();
    std::printf("%-30s %9llu %7.1f %6.2f %7.1f %7.1f %6.2f %9.1f %6.2f  %s\n", name,
                static_cast<unsigned long long>(engine.points), first.NanosecondsPerPoint(),
                first.NanosecondsPerPoint() / lean.NanosecondsPerPoint(), ns,
                lean.NanosecondsPerPoint(), ns / lean.NanosecondsPerPoint(),
                leanPow.NanosecondsPerPoint(), ns / leanPow.NanosecondsPerPoint(),
                Same(first, lean) && Same(engine, lean) && Same(engine, leanPow) ? "same bits"
                                                                                 : "DIFFERENT");
}

double (*volatile LibmPow)(double, double) = std::pow;

double Square(double v) {
    return std::pow(v, 2);
}
double PowSquare(double v) {
    return LibmPow(v, 2);
}

template <double (*Sq)(double)> double Gaussian(const double* v) {
    return std::exp(
        -(2.25 * Sq(v[0] - 0.3) + Sq(v[1] - 0.5) + 4 * Sq(v[2] - 0.6) + 0.25 * Sq(v[3] - 0.4)));
}

template <double (*Sq)(double)> double Peak(const double* v) {
    const double a1 = 5, u1 = 0.3, a2 = 7, u2 = 0.6;
    return 1 / ((1 / (a1 * a1) + Sq(v[0] - u1)) * (1 / (a2 * a2) + Sq(v[1] - u2)));
}

} // namespace
} // namespace vantrel

int main(int argc, char** argv) {
    using namespace vantrel;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const FreshCodeCache cache;
    std::printf("%-30s %9s %7s %6s %7s %7s %6s %9s %6s\n", "one thread, ns per point", "points",
                "first", "ratio", "engine", "lean", "ratio", "lean pow", "ratio");
    const char* const box[] = {"x1", "x2", "x3", "x4", "x5", "x6", "x7", "x8", "x9", "x10"};
    const auto sum = [](const double* v) {
        return v[0] + v[1] + v[2] + v[3] + v[4] + v[5] + v[6] + v[7] + v[8] + v[9];
    };
    Compare<10>("order-10 box, error 0.01",
                UnitCube("x1+x2+x3+x4+x5+x6+x7+x8+x9+x10", box, 10, 0.01), sum, sum, runs);
    Compare<4>(
        "4-D Gaussian, error 1E-8",
        UnitCube("Exp(-(2.25*(x1-0.3)^2+(x2-0.5)^2+4*(x3-0.6)^2+0.25*(x4-0.4)^2))", box, 4, 1e-8),
        [](const double* v) { return Gaussian<Square>(v); },
        [](const double* v) { return Gaussian<PowSquare>(v); }, runs);
    const char* const xyz[] = {"x", "y", "z"};
    const auto oscillatory = [](const double* v) {
        const double pi = std::atan(1.0) * 4;
        return std::cos(2 * pi * 0.2 + 1.2 * v[0] + 0.8 * v[1] + 1.6 * v[2]);
    };
    Compare<3>("3-D oscillatory, error 1E-12",
               UnitCube("Cos(2*pi*0.2+1.2*x+0.8*y+1.6*z)", xyz, 3, 1e-12), oscillatory, oscillatory,
               runs);
    ProblemRead peak = UnitCube("1/((1/(a1*a1)+(x-u1)^2)*(1/(a2*a2)+(y-u2)^2))", xyz, 2, 1e-10);
    peak.constants = {"a1=5", "u1=0.3", "a2=7", "u2=0.6"};
    Compare<2>(
        "2-D product peak, error 1E-10", peak, [](const double* v) { return Peak<Square>(v); },
        [](const double* v) { return Peak<PowSquare>(v); }, runs);
}
