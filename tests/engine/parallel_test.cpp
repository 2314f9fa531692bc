// Points computed ahead on several threads give the sequential computation to the bit: the
// result, the working arrays left over, the reports and ierr.
#include "ComputationFixture.h"

#include <bit>

namespace vantrel::testing {
namespace {

struct Problem {
    const char* name;
    const char* integrand;
    std::vector<LevelText> levels;
    double maxError = 1e-6;
};

std::ostream& operator<<(std::ostream& out, const Problem& p) {
    return out << p.name;
}

// One computation on a fresh fixture with the given number of threads.
struct Outcome {
    bool ok;
    std::vector<uint64_t> state; // every working array's bits
    std::vector<std::string> reports;
    int32_t ierr;
};

// Computes every point of an integral ahead, the last first, one at a time on the integrator's
// threads: the levels below the outermost take their turn nested.
class Backwards : public AheadComputer {
public:
    bool ComputesAhead(int level, int) const override { return level >= 1; }
    void Compute(Integrator& integrator, int level, const std::vector<double>& points,
                 std::vector<AheadValue>& values) override {
        for (std::size_t i = points.size(); i-- > 0;)
            integrator.ComputePoints(level, std::span(points).subspan(i, 1),
                                     std::span(values).subspan(i, 1));
    }
    uint64_t Evaluations() const override { return 0; }
};

class Threads : public ComputationFixture {
public:
    Outcome RunWith(const Problem& p, int threads, AheadComputer* ahead = nullptr) {
        Define(p.integrand, p.levels, p.maxError);
        integrator.SetThreads(threads);
        integrator.SetAheadComputer(ahead);
        Outcome o{Run(), {}, {}, ierr};
        for (const auto* array : {&d.VarVal, &d.LLVal, &d.ULVal, &d.H, &d.FA, &d.FB, &d.Sum7,
                                  &d.Sum12, &d.Sum14, &d.Sum32, &d.PrevInteg, &d.Integ})
            for (double v : *array)
                o.state.push_back(std::bit_cast<uint64_t>(v));
        for (int32_t n : d.NSub)
            o.state.push_back(static_cast<uint64_t>(n));
        o.state.push_back(std::bit_cast<uint64_t>(engine.Eval(d.VarNam[0]).number));
        for (const Message& m : reporter.shown)
            o.reports.push_back(m.title + "|" + m.text);
        return o;
    }
    void TestBody() override {}
};

class SameAsSequential : public ::testing::TestWithParam<Problem> {};

// Three threads compute the outer level's points ahead; eight are more than the outer level's
// first points, so the next level's points are computed ahead instead; another way of computing
// ahead takes the points of every level but the innermost.
TEST_P(SameAsSequential, ToTheBit) {
    Threads one;
    const Outcome a = one.RunWith(GetParam(), 1);
    Backwards backwards;
    for (const auto& [threads, ahead] :
         {std::pair<int, AheadComputer*>{3, nullptr}, {8, nullptr}, {2, &backwards}}) {
        Threads many;
        const Outcome b = many.RunWith(GetParam(), threads, ahead);
        EXPECT_EQ(a.ok, b.ok) << threads;
        EXPECT_EQ(a.state, b.state) << threads;
        EXPECT_EQ(a.reports, b.reports) << threads;
        EXPECT_EQ(a.ierr == 0, b.ierr == 0) << threads;
    }
}

const Problem Problems[] = {
    {"product", "x*y*Exp(-x*y)", {{"y", "0", "1", 4}, {"x", "0", "2", 4}}},
    {"triple", "Sin(x+2*y+3*z)", {{"z", "0", "1", 4}, {"y", "0", "2", 8}, {"x", "0", "1", 4}}},
    {"refining outer", "Sin(30*x)*y", {{"y", "0", "1", 4}, {"x", "0", "3", 16}}, 1e-9},
    {"triple with a variable limit",
     "x+y+z",
     {{"z", "0", "x", 4}, {"y", "0", "1", 4}, {"x", "0", "1", 4}}},
    {"inner reads a left-over", "x*y", {{"y", "0", "1 + 0*y", 4}, {"x", "0", "1", 4}}},
    {"division by zero at the outer midpoint",
     "1/(x-0.5)",
     {{"y", "0", "1", 4}, {"x", "0", "1", 4}}},
    {"overflow late in the outer refinement",
     "Exp(x*40)*1E290",
     {{"y", "0", "1", 4}, {"x", "0", "20", 64}}},
    {"syntax error", "x*", {{"y", "0", "1", 4}, {"x", "0", "1", 4}}},
    {"added function failing in a limit",
     "x*y",
     {{"y", "0", "1+Acosh(0.5)", 4}, {"x", "0", "1", 4}}},
    {"added function failing in the integrand",
     "Asin(x*2)",
     {{"y", "0", "1", 4}, {"x", "0", "1", 4}}},
};
INSTANTIATE_TEST_SUITE_P(Problems, SameAsSequential, ::testing::ValuesIn(Problems));

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
