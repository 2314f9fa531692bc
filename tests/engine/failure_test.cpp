#include "ComputationFixture.h"

namespace vantrel::testing {
namespace {

using Failure = ComputationFixture;

TEST_F(Failure, DivisionByZeroIsReportedOnceByTheComputation) {
    Define("1/x", {{"x", "0", "1"}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(ierr, 11);
    ASSERT_EQ(reporter.shown.size(), 1u);
    const Message& box = reporter.shown[0];
    const std::string source = engine.Error().Source;
    EXPECT_EQ(box.title, source);
    EXPECT_EQ(box.text, source + " 11\rDivision by zero\r\r");
    EXPECT_EQ(box.icon, MsgIcon::Critical);
    EXPECT_EQ(integrator.Evaluations(), 1u);
    EXPECT_EQ(d.Level, 0); // not restored after a failure
    EXPECT_TRUE(d.TextBuf.empty());
}

TEST_F(Failure, SyntaxErrorShowsOnlyTheScriptReport) {
    Define("x*(y+", {{"x", "0", "1"}});
    EXPECT_FALSE(Run());
    ASSERT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(reporter.shown[0].title, "Error in Script Control");
    const ScriptError& error = engine.Error();
    EXPECT_EQ(reporter.shown[0].text, error.Source + " " + std::to_string(error.Number) + "\r" +
                                          error.Description + "\r\rAt line " +
                                          std::to_string(error.Line) + ", col " +
                                          std::to_string(error.Column) + ": [x*(y+]");
    EXPECT_EQ(ierr, error.Number);
    EXPECT_EQ(integrator.Evaluations(), 1u);
}

TEST(TextAround, KeepsAtMostTheLimitAroundTheColumnMarkingEachCut) {
    const std::string e = "\xE2\x80\xA6", a300(300, 'a'), b(1000, 'b');
    const std::string accents = std::string(99, 'c') + "\xC3\xA9" + std::string(400, 'c');
    const struct {
        std::string text;
        int32_t column;
        std::string shown;
    } cases[] = {
        {a300, 5, a300},
        {a300 + b, 0, a300 + e},
        {a300 + b, 400, e + std::string(300, 'b') + e},
        {a300 + b, 1300, e + std::string(300, 'b')},
        {a300 + b, -1, a300 + e},
        // a cut falls inside a two-byte character: the character is left out whole
        {accents, 200, e + std::string(299, 'c') + e},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextAround(c.text, c.column), c.shown) << c.column;
}

TEST_F(Failure, AddedFunctionInTheIntegrandEndsTheComputation) {
    Define("Asin(2)", {{"x", "0", "1"}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(ierr, 5);
    ASSERT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(reporter.shown[0].title, "vantrel");
    EXPECT_EQ(reporter.shown[0].text, "vantrel 5\rInvalid procedure call or argument\r\r");
    EXPECT_EQ(integrator.Evaluations(), 1u);
}

TEST_F(Failure, EngineArgumentErrorGivesTheSameNumberAsTheAddedFunction) {
    Define("Sqr(-1)", {{"x", "0", "1"}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(ierr, 5);
    ASSERT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(reporter.shown[0].title, engine.Error().Source);
}

TEST_F(Failure, AddedFunctionInALimitRunsToTheEndSilently) {
    Define("x", {{"x", "Acosh(0.5)", "1"}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(ierr, 5);
    EXPECT_TRUE(reporter.shown.empty());
    EXPECT_EQ(d.Level, 1); // the computation ended normally
    EXPECT_NEAR(d.Integ[0], 0.5, 1e-12);
}

TEST_F(Failure, NonNumericValueEndsSilently) {
    Define("\"abc\"", {{"x", "0", "1"}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(ierr, 13);
    EXPECT_TRUE(reporter.shown.empty());
}

TEST_F(Failure, OverflowOfAStoredResultIsTheSystemsOwn) {
    Define("1E308", {{"x", "0", "1E10"}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(ierr, 6);
    ASSERT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(reporter.shown[0].text, "vantrel 6\rOverflow\r\r");
}

TEST_F(Failure, UnassignableVariableNameIsAScriptError) {
    Define("1", {{"mod", "0", "1"}});
    EXPECT_FALSE(Run());
    ASSERT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(reporter.shown[0].title, "Error in Script Control");
    EXPECT_NE(ierr, 0);
}

TEST_F(Failure, InnerFailureEndsEveryLevelWithOneReport) {
    Define("1/(x-y)", {{"y", "0", "1"}, {"x", "0", "1"}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(ierr, 11);
    EXPECT_EQ(reporter.shown.size(), 1u);
    EXPECT_EQ(d.Level, 0);
}

TEST_F(Failure, LeftOverValuesReachTheNextComputation) {
    // The failure leaves x at the failing point; a limit naming x sees it next time.
    Define("1/(x-0.5)", {{"x", "0", "1"}});
    EXPECT_FALSE(Run());
    EXPECT_EQ(d.VarVal[0], 0.5);
    Define("1", {{"x", "0", "x"}});
    ASSERT_TRUE(Run());
    EXPECT_NEAR(Result(), 0.5, 1e-12);
}

TEST_F(Failure, NextComputationStartsAfresh) {
    Define("1/x", {{"x", "0", "1"}});
    EXPECT_FALSE(Run());
    reporter.shown.clear();
    Define("x", {{"x", "0", "1"}});
    ASSERT_TRUE(Run());
    EXPECT_NEAR(Result(), 0.5, 1e-12);
    EXPECT_TRUE(reporter.shown.empty());
}

} // namespace
} // namespace vantrel::testing
