// Points computed ahead on several threads give the sequential computation to the bit: the
// result, the working arrays and the engine's variables left over, the reports and ierr.
#include "ComputationFixture.h"

#include "engine/IndependentPoints.h"
#include "engine/WorkingArrays.h"

#include <chrono>
#include <thread>

namespace vantrel::testing {
namespace {

// Another way of computing ahead: every independent level's points, the last first, one at a
// time on the integrator's threads; the points the scheme visits in order take their turn nested.
// Every other batch it leaves to the integrator.
class Backwards : public AheadComputer {
public:
    bool ComputesAhead(int, int) const override { return true; }
    bool Takes(int, std::size_t) const override { return ++asked_ % 2 == 0; }
    void Compute(Integrator& integrator, AheadPoints& batch) override {
        const std::size_t size = PointWrites::Size(batch.level);
        for (std::size_t i = batch.points.size(); i-- > 0;)
            integrator.ComputePoints(batch.level, batch.outer,
                                     std::span(batch.points).subspan(i, 1),
                                     std::span(batch.values).subspan(i, 1),
                                     std::span(batch.writes).subspan(i * size, size));
    }
    uint64_t Evaluations() const override { return 0; }

private:
    mutable uint64_t asked_ = 0;
};

class Threads : public ComputationFixture {
public:
    // The same problem computed twice, the second time from the first one's left-overs.
    // With no least work every batch goes to the pool.
    Outcome RunWith(const Problem& p, int threads, AheadComputer* ahead = nullptr,
                    std::chrono::nanoseconds minAheadWork = {}) {
        Define(p.integrand, p.levels, p.maxError);
        integrator.SetThreads(threads);
        integrator.SetAheadComputer(ahead);
        integrator.SetMinAheadWork(minAheadWork);
        Run();
        Run();
        return Leftovers();
    }
    // The same after a constant has given the computing engine's names an order of their own
    // and the integrand and the inner upper limit have been compiled to machine code, which the
    // threads' engines then share.
    Outcome RunCompiledWith(const Problem& p, int threads) {
        engine.ExecuteStatement("c = 3");
        engine.CompileAfterRuns(1);
        const std::vector<ScriptControl::ExprHandle> texts{engine.Prepare(p.integrand),
                                                           engine.Prepare(p.levels[0].upper)};
        // Evaluating each text asks for its code and takes it once it is there. The compiler
        // publishes a piece of code a moment before it counts its job done, so the wait goes on
        // until it is idle, not only until the code is there. Without machine code on this
        // build nothing compiles and the test runs interpreted.
        const auto evaluate = [&] {
            for (const ScriptControl::ExprHandle text : texts)
                engine.EvaluateNumber(text);
        };
        evaluate();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (engine.CompilingMachineCode() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            evaluate();
        }
        EXPECT_FALSE(engine.CompilingMachineCode()) << "still compiling";
        return RunWith(p, threads);
    }
    void TestBody() override {}
};

class SameAsSequential : public ::testing::TestWithParam<Problem> {};

// Two threads meet in the middle of a batch; three and eight are more than most batches' points;
// two where some batches are worth the pool and others (and the levels inside them) are far too
// small for it; another way of computing ahead, on one thread and on two.
TEST_P(SameAsSequential, ToTheBit) {
    using namespace std::chrono_literals;
    Threads one;
    const Outcome sequential = one.RunWith(GetParam(), 1);
    Backwards backwards;
    const struct {
        int threads;
        AheadComputer* ahead;
        std::chrono::nanoseconds minAheadWork;
    } ways[] = {{2, nullptr, 0ns},   {3, nullptr, 0ns},    {8, nullptr, 0ns},
                {2, nullptr, 100us}, {1, &backwards, 0ns}, {2, &backwards, 0ns}};
    for (const auto& way : ways) {
        Threads many;
        EXPECT_EQ(many.RunWith(GetParam(), way.threads, way.ahead, way.minAheadWork), sequential)
            << way.threads << " threads" << (way.ahead ? ", computed backwards" : "")
            << ", batches from " << way.minAheadWork.count() << " ns";
    }
}

// x is a property of the added object, y and c are variables.
TEST(SharedMachineCode, SameAsSequential) {
    const Problem p{"compiled", "c*x*y+pi*Exp(-y)", {{"y", "0.5", "x*c", 4}, {"x", "0", "2", 4}}};
    Threads one;
    const Outcome sequential = one.RunCompiledWith(p, 1);
    Threads two;
    EXPECT_EQ(two.RunCompiledWith(p, 2), sequential);
}

const Problem Problems[] = {
    {"product", "x*y*Exp(-x*y)", {{"y", "0", "1", 4}, {"x", "0", "2", 4}}},
    {"triple", "Sin(x+2*y+3*z)", {{"z", "0", "1", 4}, {"y", "0", "2", 8}, {"x", "0", "1", 4}}},
    {"refining outer", "Sin(30*x)*y", {{"y", "0", "1", 4}, {"x", "0", "3", 16}}, 1e-9},
    {"disk", "Exp(-(x*x+y*y))", {{"y", "-Sqr(1-x^2)", "Sqr(1-x^2)", 4}, {"x", "-1", "1", 4}}, 1e-5},
    {"simplex",
     "Exp(t*z+y*x)",
     {{"t", "0", "z", 4}, {"z", "0", "y", 4}, {"y", "0", "x", 4}, {"x", "0", "1", 4}},
     1e-7},
    {"equal inner limits at the last outer point",
     "x*y",
     {{"y", "0", "x-0.75", 4}, {"x", "0", "1", 4}}},
    {"equal inner limits from x = 0.9 on, in the pool's claims",
     "x*y",
     {{"y", "0", "(0.9-x+Abs(0.9-x))/2", 4}, {"x", "0", "1", 4}},
     1e-7},
    {"equal limits inside the last points, three levels",
     "x*y*z",
     {{"z", "y", "x*0.5", 4}, {"y", "0", "x", 4}, {"x", "0", "1", 4}}},
    {"limit reads its own left-over", "x*y", {{"y", "0", "1 + 0*y", 4}, {"x", "0", "1", 4}}},
    {"limit reads an inner left-over",
     "x*y*z",
     {{"z", "0", "1", 4}, {"y", "0", "x+z*0", 4}, {"x", "0", "1", 4}}},
    {"limit reads the added functions' error record",
     "x*y",
     {{"y", "Acosh(x)*0", "1+ierr*0", 4}, {"x", "0", "2", 4}}},
    {"added function failing in some limits, inside the outer points",
     "x*y*z",
     {{"z", "0", "1+Acosh(y+0.5)", 4}, {"y", "0", "x", 4}, {"x", "0", "1", 4}}},
    {"added function failing in the integrand",
     "Asin(x*2)",
     {{"y", "0", "x", 4}, {"x", "0", "1", 4}}},
    {"division by zero at the first point", "y/x", {{"y", "0", "x", 4}, {"x", "0", "1", 4}}},
    {"limit failing at a middle point",
     "x*y",
     {{"y", "0", "Log(Abs(x-0.5))", 4}, {"x", "0", "1", 4}}},
    {"limit failing at a middle point inside an outer point",
     "x*y*z",
     {{"z", "0", "Log(Abs(y-0.25))", 4}, {"y", "0", "x", 4}, {"x", "0", "1", 4}}},
    {"division by zero at the first estimate's last point",
     "y/(x-0.75)",
     {{"y", "0", "x", 4}, {"x", "0", "1", 4}}},
    {"overflow late in the outer refinement",
     "Exp(x*40)*1E290",
     {{"y", "0", "x", 4}, {"x", "0", "20", 64}}},
    {"syntax error", "x*", {{"y", "0", "1", 4}, {"x", "0", "1", 4}}},
};
INSTANTIATE_TEST_SUITE_P(Problems, SameAsSequential, ::testing::ValuesIn(Problems));

// Which levels' points may be computed ahead and reuse their midpoint value.
struct RuleCase {
    const char* name;
    const char* integrand;
    std::vector<LevelText> levels;
    std::vector<bool> independent;
};

class Rule : public ComputationFixture, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(Rule, IndependentLevels) {
    const RuleCase& c = GetParam();
    Define(c.integrand, c.levels);
    std::vector<ScriptControl::ExprHandle> lower, upper;
    for (const LevelText& level : c.levels) {
        lower.push_back(engine.Prepare(level.lower));
        upper.push_back(engine.Prepare(level.upper));
    }
    EXPECT_EQ(IndependentLevels(engine, d, lower, upper, engine.Prepare(c.integrand)),
              c.independent);
}

const RuleCase RuleCases[] = {
    {"outer variables",
     "x*y*z",
     {{"z", "-y", "x", 4}, {"y", "0", "x", 4}, {"x", "0", "1", 4}},
     {true, true, true}},
    {"own variable", "x*y", {{"y", "0", "Y+1", 4}, {"x", "0", "1", 4}}, {false, false}},
    {"inner variable", "x*y", {{"y", "0", "1", 4}, {"x", "0", "y", 4}}, {true, false}},
    {"error record", "x*y", {{"y", "ierr", "1", 4}, {"x", "0", "1", 4}}, {false, false}},
    {"halfpi as a variable, read by Asin",
     "x",
     {{"halfpi", "0", "1", 4}, {"x", "0", "Acos(0.5)", 4}},
     {true, false}},
    {"integrand reads anything",
     "x*y*ierr",
     {{"y", "0", "1", 4}, {"x", "0", "1", 4}},
     {true, true}},
};
INSTANTIATE_TEST_SUITE_P(Cases, Rule, ::testing::ValuesIn(RuleCases));

using Servicing = ComputationFixture;

// A service runs on the computing thread alone, while it evaluates, the pool's thread beside it.
TEST_F(Servicing, RunsOnTheComputingThreadAlone) {
    Define("Sin(x*y)", {{"y", "0", "1", 1 << 12}, {"x", "0", "1", 1 << 7}});
    integrator.SetThreads(2);
    integrator.SetMinAheadWork({});
    const std::thread::id computing = std::this_thread::get_id();
    int calls = 0, elsewhere = 0;
    integrator.SetService([&] { ++(std::this_thread::get_id() == computing ? calls : elsewhere); });
    EXPECT_TRUE(Run());
    EXPECT_GT(calls, 0);
    EXPECT_EQ(elsewhere, 0);
}

using Cancelling = ComputationFixture;

TEST_F(Cancelling, EndsWithoutAReportAndWithUserInterrupt) {
    Define("Sin(x*y*z)", {{"z", "0", "1", 1 << 20}, {"y", "0", "1", 4}, {"x", "0", "1", 4}});
    int polls = 0;
    integrator.SetProgressPoll([&](uint64_t evaluations) {
        EXPECT_GT(evaluations, 0u);
        return ++polls == 2;
    });
    EXPECT_FALSE(Run());
    EXPECT_EQ(ierr, UserInterrupt);
    EXPECT_TRUE(reporter.shown.empty());
    EXPECT_EQ(polls, 2);
}

} // namespace
} // namespace vantrel::testing
