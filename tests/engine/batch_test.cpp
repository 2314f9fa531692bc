// Level 0's points evaluated in batches by the integrand's machine code give the computation one
// point at a time to the bit: the result, the working arrays and variables left over, the
// evaluations counted, the reports, ierr and the error that ends it.
#include "ComputationFixture.h"

#include "engine/BooleScheme.h"
#include "engine/Evaluation.h"
#include "script/Compiler.h"
#include "script/Evaluator.h"
#include "script/jit/NumericCode.h"

#include <chrono>
#include <span>

namespace vantrel::testing {
namespace {

// The policy one point at a time, and with batches, counting the points they evaluate.
struct PointByPoint {
    Evaluation& eval;
    void SetVars() { eval.SetVars(); }
    double EvalLimit(int level, bool upper) { return eval.EvalLimit(level, upper); }
    double EvalF() { return eval.EvalF(); }
    bool MidpointReusable(int level) const { return eval.MidpointReusable(level); }
};

struct Batched : PointByPoint {
    std::size_t batched = 0;
    std::size_t EvalFMany(std::span<const double> xs, double* values, bool varsSet, double step) {
        const std::size_t done = eval.EvalFMany(xs, values, varsSet, step);
        batched += done;
        return done;
    }
    void UnvisitF(std::size_t count) { eval.UnvisitF(count); }
    bool KeepFirstBatch(std::span<const double> xs) { return eval.KeepFirstBatch(xs); }
    std::size_t EvalFirstAgain(double* values) {
        const std::size_t done = eval.EvalFirstAgain(values);
        batched += done;
        return done;
    }
    std::size_t EvalFirstAgainOver(std::span<const double> outer, double* values) {
        const std::size_t done = eval.EvalFirstAgainOver(outer, values);
        batched += done;
        return done;
    }
};

bool MachineCodeBuilt() {
    static const bool built = [] {
        Environment names;
        Program program = Compile("1+1", SourceKind::Expression, names);
        PrepareNumeric(program);
        const Program* programs[] = {&program};
        return jit::Compile(programs) != nullptr;
    }();
    return built;
}

class Computation : public ComputationFixture {
public:
    // The problem computed twice, the second time from the first one's left-overs, once the
    // integrand's machine code is there (every variable 0.5 while it compiles).
    template <class Policy> Outcome RunWith(const Problem& p, std::size_t& batched) {
        Define(p.integrand, p.levels, p.maxError);
        Progress progress;
        Evaluation eval(d, engine, d.Funcs(), progress);
        eval.Prepare();
        const auto integrand = engine.Prepare(p.integrand);
        for (const LevelText& level : p.levels)
            engine.ExecuteStatement(level.name + "=0.5");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!engine.MachineCodeReady(integrand) && std::chrono::steady_clock::now() < deadline)
            engine.EvaluateNumber(integrand);
        EXPECT_TRUE(engine.MachineCodeReady(integrand));
        Policy policy{eval};
        std::vector<uint64_t> ends;
        for (int run = 0; run < 2; ++run) {
            d.Level = d.Order;
            ierr = 0;
            try {
                BooleScheme<Policy>(d, policy).Compute();
                ends.push_back(0);
            } catch (const ScriptFailure& failure) {
                ends.push_back(static_cast<uint64_t>(failure.Number));
            } catch (const RuntimeError& error) {
                ends.push_back(static_cast<uint64_t>(error.Number) << 16);
            } catch (const ComputationError& error) {
                ends.push_back(static_cast<uint64_t>(error.number) << 32);
            }
        }
        if constexpr (requires { policy.batched; }) batched = policy.batched;
        Outcome o = Leftovers();
        o.state.insert(o.state.end(), ends.begin(), ends.end());
        o.state.push_back(eval.Evaluations());
        return o;
    }
    void TestBody() override {}
};

class SameAsPointByPoint : public ::testing::TestWithParam<Problem> {};

TEST_P(SameAsPointByPoint, ToTheBit) {
    if (!MachineCodeBuilt()) GTEST_SKIP() << "no machine code on this build";
    std::size_t batched = 0;
    Computation one, many;
    const Outcome expected = one.RunWith<PointByPoint>(GetParam(), batched);
    EXPECT_EQ(many.RunWith<Batched>(GetParam(), batched), expected);
    EXPECT_GT(batched, 0u);
}

// Refinements at level 0 on grids of 4 to 512: 0.125 begins the one of 4, 0.875 ends it, 0.4375 is
// the fourth point of the one of 8, and the sum of the one of 8 overflows at that point.
const Problem Problems[] = {
    {"box", "x+y+z", {{"z", "0", "1"}, {"y", "0", "2"}, {"x", "0", "1"}}},
    {"Gaussian over grids past a batch",
     "Exp(-(2.25*(x-0.3)^2+(y-0.5)^2))",
     {{"y", "0", "1", 1024}, {"x", "0", "1"}},
     1e-10},
    {"oscillatory", "Cos(2*pi*0.2+1.2*x+0.8*y)", {{"y", "-1", "2", 600}, {"x", "0", "1"}}, 1e-12},
    {"failing at a refinement's first point",
     "x/(y-0.125)",
     {{"y", "0", "1", 16}, {"x", "0", "1"}}},
    {"failing at a refinement's fourth point",
     "x/(y-0.4375)",
     {{"y", "0", "1", 16}, {"x", "0", "1"}}},
    {"failing at a refinement's last point", "x/(y-0.875)", {{"y", "0", "1", 16}, {"x", "0", "1"}}},
    {"failing at the first estimates' last point",
     "1/(y-0.75)",
     {{"y", "0", "1"}, {"x", "0", "1"}}},
    {"overflow in a refinement's sum",
     "1E308/(1+1E20*(y-0.3125)^2)+1E308/(1+1E20*(y-0.4375)^2)",
     {{"y", "0", "1", 16}, {"x", "0", "1"}}},
    {"the first batch again failing at the fourth outer point",
     "y/(x-0.25)",
     {{"y", "0", "1"}, {"x", "0", "1"}}},
    {"the first batch again failing at its last point",
     "1/(y+1-1.75*x)",
     {{"y", "0", "1"}, {"x", "0", "1"}}},
    {"the first batch again overflowing", "1E308*x+y", {{"y", "0", "1"}, {"x", "0", "1"}}},
    {"the first batch over level 1's points failing at the fourth",
     "y/(x+z-1.25)",
     {{"y", "0", "1"}, {"x", "0", "1"}, {"z", "0", "1"}}},
    {"the first batch over level 1's points, level 0 refining at the third",
     "y*y*y*y*x*(1-x)+z",
     {{"y", "0", "1"}, {"x", "0", "1"}, {"z", "0", "1"}}},
    {"the first batch over level 1's points, level 1 overflowing",
     "1E303*x*z",
     {{"y", "0", "1"}, {"x", "0", "100"}, {"z", "0", "1"}},
     1e300},
    {"overflow in the first estimate", "1.7E308+x", {{"y", "0", "1"}, {"x", "0", "1"}}},
    {"overflow in the second estimate only", "1E306+x*y", {{"y", "0", "1"}, {"x", "0", "1"}}},
    {"a point that no assignment can store",
     "x+y",
     {{"y", "0", "1.7976931348623157E308"}, {"x", "0", "1"}}},
    {"the added object's x", "x*y*e", {{"x", "0", "1", 8}, {"y", "0", "2"}}, 1e-12},
    {"limits read left-overs",
     "x*y*z+Sin(7*z)",
     {{"z", "0", "1+0*z", 8}, {"y", "0", "x+z*0"}, {"x", "0", "1"}},
     1e-10},
};
INSTANTIATE_TEST_SUITE_P(Problems, SameAsPointByPoint, ::testing::ValuesIn(Problems));

} // namespace
} // namespace vantrel::testing
