// The engine's evaluation of typical integrands beside native code of the same expression,
// which is the floor. Each point changes the variables, as the integrator does.
#include "script/Class1.h"
#include "script/NumberFormat.h"
#include "script/ScriptControl.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

namespace vantrel {
namespace {

// Points spread over (0, 1) so that no branch of libm is always the same.
double Point(int64_t i) {
    return 0.001 + static_cast<double>(i % 997) * 0.001;
}

struct Integrand {
    const char* text;
    double (*native)(double x, double y, double z);
};

const Integrand Product = {"x*y*z+Sin(x)*Exp(-y)", [](double x, double y, double z) {
                               return x * y * z + std::sin(x) * std::exp(-y);
                           }};
// A product peak with its constants as script variables; natively they are read at run time
// too, so that the compiler cannot fold them.
volatile double PeakA1 = 5, PeakA2 = 7, PeakU1 = 0.3, PeakU2 = 0.6;
const Integrand Peak = {"1/((1/a1^2+(x-u1)^2)*(1/a2^2+(y-u2)^2))", [](double x, double y, double) {
                            const double a1 = PeakA1, a2 = PeakA2, u1 = PeakU1, u2 = PeakU2;
                            return 1 / ((1 / std::pow(a1, 2) + std::pow(x - u1, 2)) *
                                        (1 / std::pow(a2, 2) + std::pow(y - u2, 2)));
                        }};
// The same with every ^ a call of libm's pow, as the language computes it: the compiler turns
// pow(v, 2) into v * v in the floor above.
double (*volatile LibmPow)(double, double) = std::pow;
const Integrand PeakWithPow = {"1/((1/a1^2+(x-u1)^2)*(1/a2^2+(y-u2)^2))",
                               [](double x, double y, double) {
                                   const double a1 = PeakA1, a2 = PeakA2, u1 = PeakU1, u2 = PeakU2;
                                   return 1 / ((1 / LibmPow(a1, 2) + LibmPow(x - u1, 2)) *
                                               (1 / LibmPow(a2, 2) + LibmPow(y - u2, 2)));
                               }};
const Integrand TenTerms = {
    "x+y+z+x*y+y*z+z*x+x*x+y*y+z*z+x*y*z", [](double x, double y, double z) {
        return x + y + z + x * y + y * z + z * x + x * x + y * y + z * z + x * y * z;
    }};

void Native(benchmark::State& state, const Integrand& f) {
    int64_t i = 0;
    for (auto _ : state) {
        const double x = Point(i), y = Point(i + 311), z = Point(i + 577);
        benchmark::DoNotOptimize(f.native(x, y, z));
        ++i;
    }
}

class Session {
public:
    Session() {
        engine.AddObject("sh", &funcs, true);
        engine.ExecuteStatement("a1 = 5");
        engine.ExecuteStatement("a2 = 7");
        engine.ExecuteStatement("u1 = 0.3");
        engine.ExecuteStatement("u2 = 0.6");
    }
    Class1 funcs;
    ScriptControl engine;
};

// What the integrator does per point: three fast assignments and one prepared evaluation.
void Engine(benchmark::State& state, const Integrand& f) {
    Session s;
    const auto x = s.engine.BindVariable("x"), y = s.engine.BindVariable("y"),
               z = s.engine.BindVariable("z");
    const auto expression = s.engine.Prepare(f.text);
    int64_t i = 0;
    for (auto _ : state) {
        s.engine.Assign(x, Point(i));
        s.engine.Assign(y, Point(i + 311));
        s.engine.Assign(z, Point(i + 577));
        benchmark::DoNotOptimize(s.engine.EvaluateNumber(expression));
        ++i;
    }
}

// The native floor of that: the same rounding of the three values, then the expression.
void NativeWithRounding(benchmark::State& state, const Integrand& f) {
    int64_t i = 0;
    for (auto _ : state) {
        const double x = Round15(Point(i)), y = Round15(Point(i + 311)),
                     z = Round15(Point(i + 577));
        benchmark::DoNotOptimize(f.native(x, y, z));
        ++i;
    }
}

// Eval of the text: the compile cache's lookup on every call.
void EvalText(benchmark::State& state, const Integrand& f) {
    Session s;
    s.engine.ExecuteStatement("x = 0.25");
    s.engine.ExecuteStatement("y = 0.5");
    s.engine.ExecuteStatement("z = 0.75");
    for (auto _ : state)
        benchmark::DoNotOptimize(s.engine.Eval(f.text));
}

void Statement(benchmark::State& state) {
    Session s;
    int64_t i = 0;
    for (auto _ : state) {
        s.engine.ExecuteStatement("x=" + AssignmentText(Point(i)));
        ++i;
    }
}

void FastAssign(benchmark::State& state) {
    Session s;
    const auto x = s.engine.BindVariable("x");
    int64_t i = 0;
    for (auto _ : state) {
        s.engine.Assign(x, Point(i) * 1.0000001);
        ++i;
    }
}

BENCHMARK_CAPTURE(Native, product, Product);
BENCHMARK_CAPTURE(NativeWithRounding, product, Product);
BENCHMARK_CAPTURE(Engine, product, Product);
BENCHMARK_CAPTURE(EvalText, product, Product);
BENCHMARK_CAPTURE(Native, peak, Peak);
BENCHMARK_CAPTURE(NativeWithRounding, peak, Peak);
BENCHMARK_CAPTURE(NativeWithRounding, peak_with_pow, PeakWithPow);
BENCHMARK_CAPTURE(Engine, peak, Peak);
BENCHMARK_CAPTURE(Native, ten_terms, TenTerms);
BENCHMARK_CAPTURE(NativeWithRounding, ten_terms, TenTerms);
BENCHMARK_CAPTURE(Engine, ten_terms, TenTerms);
BENCHMARK(Statement);
BENCHMARK(FastAssign);

} // namespace
} // namespace vantrel
