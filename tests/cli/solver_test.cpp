// The solver on problems as files give them: the examples, constants, and failures.
#include "cli/Solver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace vantrel {
namespace {

class Recorder : public Reporter {
public:
    MsgResult Show(const Message& message) override {
        shown.push_back(message);
        return MsgResult::OK;
    }
    std::vector<Message> shown;
};

ProblemRead Example(const std::string& name) {
    const ReadOutcome read = ReadProblemFile(std::string(EXAMPLES_DIR) + "/" + name);
    EXPECT_EQ(read.status, ReadOutcome::Status::Ok) << name << ": " << read.reason;
    return read.problem;
}

TEST(Examples, GiveTheirKnownValues) {
    const struct {
        const char* file;
        double expected, tolerance;
    } cases[] = {
        {"volume.vtl", 1.0 / 3, 1e-12},
        {"triple.vtl", 1.75, 1e-12},
        {"quadruple.vtl", 0.0625, 1e-12},
        {"disk.vtl", std::acos(-1.0) * (1 - std::exp(-1.0)), 1e-4},
    };
    for (const auto& c : cases) {
        Recorder reporter;
        const SolveResult result = Solve(Example(c.file), reporter);
        ASSERT_TRUE(result.value) << c.file;
        EXPECT_NEAR(*result.value, c.expected, c.tolerance) << c.file;
        EXPECT_GT(result.evaluations, 0u);
        EXPECT_TRUE(reporter.shown.empty()) << c.file;
    }
}

// The file the window writes after Open, Integrate and Save: the result as its label shows it.
TEST(SaveSolved, WritesTheFileBackWithTheShownResult) {
    const std::string path = ::testing::TempDir() + "volume_saved.vtl";
    ProblemRead problem = Example("volume.vtl");
    problem.maxError = 1e-4 + 1e-20; // the field shows 0.0001
    Recorder reporter;
    const SolveResult result = Solve(problem, reporter);
    ASSERT_TRUE(result.value);
    ASSERT_EQ(SaveSolved(path, problem, *result.value), "");
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(bytes, "Vantrel\r\n2,0.0001,#TRUE#,\"x^2+y^2\"\r\n 0 \r\n 0.333333333333333 \r\n"
                     "\"y\",\"0\",\"x\",4\r\n\"x\",\"0\",\"1\",4\r\n");
    std::remove(path.c_str());
}

ProblemRead Line(const std::string& integrand, const std::string& lower = "0") {
    ProblemRead p;
    p.order = 1;
    p.maxError = 1e-6;
    p.integrand = integrand;
    p.levels.push_back({"x", lower, "1", 4});
    return p;
}

// What ended the refinement comes from the computation's own state, whatever the threads.
TEST(Convergence, DifferenceAndSubintervalsOfTheLastVisit) {
    ProblemRead p = Line("Sin(30*x)*y");
    p.order = 2;
    p.maxError = 1e-9;
    p.levels = {{"y", "0", "1", 4}, {"x", "0", "3", 16}};
    Recorder reporter;
    const SolveResult one = Solve(p, reporter, 1), two = Solve(p, reporter, 2);
    ASSERT_TRUE(one.value && two.value);
    EXPECT_GT(one.difference, 0);
    EXPECT_LT(one.difference, p.maxError);
    EXPECT_EQ(one.subintervals, (std::vector<int32_t>{4, 2048}));
    EXPECT_EQ(two.difference, one.difference);
    EXPECT_EQ(two.subintervals, one.subintervals);
}

TEST(Failures, ArithmeticInTheIntegrandIsReportedOnce) {
    Recorder reporter;
    const SolveResult result = Solve(Line("1/x"), reporter);
    EXPECT_FALSE(result.value);
    EXPECT_EQ(result.failure.number, 11);
    EXPECT_TRUE(result.reported);
    ASSERT_EQ(reporter.shown.size(), 1u);
}

TEST(Failures, ASilentFailureStillHasNoValue) {
    Recorder reporter;
    const SolveResult result = Solve(Line("\"abc\""), reporter);
    EXPECT_FALSE(result.value);
    EXPECT_EQ(result.failure.number, 13);
    EXPECT_FALSE(result.reported);
    EXPECT_TRUE(reporter.shown.empty());
}

TEST(Failures, AFailingConstantStopsBeforeComputing) {
    Recorder reporter;
    ProblemRead p = Line("k*x");
    p.constants = {"k = 1 +", "j = 2"};
    const SolveResult result = Solve(p, reporter);
    EXPECT_FALSE(result.value);
    EXPECT_EQ(result.failure.number, 1023);
    EXPECT_EQ(result.evaluations, 0u);
    ASSERT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(reporter.shown[0].title, "Error in Script Control");
}

TEST(Constants, AreExecutedInListOrder) {
    Recorder reporter;
    ProblemRead p = Line("k*x");
    p.constants = {"k = 3", "k = k * 2"};
    const SolveResult result = Solve(p, reporter);
    ASSERT_TRUE(result.value);
    EXPECT_NEAR(*result.value, 3.0, 1e-12);
}

// Each run draws from a fresh sequence, strictly in the sequential order: the midpoint is
// evaluated again rather than reused, and no point is computed ahead on another thread.
TEST(Rnd, IsDrawnInTheSequentialOrderWithAnyThreads) {
    ProblemRead constants = Line("r*1000+q");
    constants.constants = {"r=Rnd", "q=Rnd"};
    ProblemRead once = Line("Rnd");
    once.maxError = 100; // stops at the first test: 5 points, the midpoint twice
    ProblemRead box = Line("Rnd*x");
    box.order = 2;
    box.maxError = 1e-2;
    box.levels.push_back({"y", "0", "2", 4});
    Recorder reporter;
    EXPECT_NEAR(*Solve(constants, reporter, 2).value, 706.0809355974196, 1e-12);
    EXPECT_EQ(Solve(once, reporter, 2).evaluations, 6u);
    const SolveResult one = Solve(box, reporter, 1), two = Solve(box, reporter, 2);
    ASSERT_TRUE(one.value && two.value);
    EXPECT_EQ(*one.value, *two.value);
    EXPECT_EQ(one.evaluations, two.evaluations);
}

} // namespace
} // namespace vantrel
