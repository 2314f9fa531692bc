// Failures: the error numbers, the Error event with its position, and bad input.
#include "script/ScriptControl.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

struct Failure {
    const char* text;
    int32_t number;
    int32_t column; // of the offending token, from 0
    bool statement = false;
};

std::ostream& operator<<(std::ostream& out, const Failure& f) {
    return out << f.text;
}

class Failures : public testing::TestWithParam<Failure> {};

TEST_P(Failures, RaiseTheEventThenThrowTheSameError) {
    ScriptControl engine;
    engine.ExecuteStatement("zero = 0");
    const Failure& f = GetParam();
    int events = 0;
    ScriptError seen;
    engine.SetErrorHandler([&] {
        ++events;
        seen = engine.Error();
    });
    try {
        if (f.statement)
            engine.ExecuteStatement(f.text);
        else
            engine.Eval(f.text);
        FAIL() << "no failure";
    } catch (const ScriptFailure& failure) {
        EXPECT_EQ(failure.Number, f.number);
        EXPECT_EQ(failure.Source, seen.Source);
        EXPECT_EQ(failure.Description, seen.Description);
    }
    EXPECT_EQ(events, 1);
    EXPECT_EQ(seen.Number, f.number);
    EXPECT_EQ(seen.Line, 1);
    EXPECT_EQ(seen.Column, f.column);
    EXPECT_EQ(seen.Text, f.text);
    EXPECT_EQ(seen.Description, StandardDescription(f.number));
    EXPECT_NE(seen.Source, "");
}

const Failure RunTime[] = {
    {"Sqr(-1)", 5, 0},
    {"Log(0)", 5, 0},
    {"(-8)^(1/3)", 5, 4},
    {"1E308*10", 6, 5},
    {"0/zero", 6, 1},
    {"Exp(710)", 6, 0},
    {"2^1024", 6, 1},
    {"3000000000 Mod 2", 6, 11},
    {"1/zero", 11, 1},
    {"1 \\ 0.4", 11, 2},
    {"5 Mod zero", 11, 2},
    {"\"abc\" * 2", 13, 6},
    {"-\"x\"", 13, 0},
    {"zero(1)", 13, 0},
    {"Null * 1 + Sqr(Null)", 94, 11},
    {"Sin(1, 2)", 450, 0},
    {"Sin()", 450, 0},
    {"Sin = 1", 501, 0, true},
    {"CInt(40000)", 6, 0},
    {"Rnd(1E300)", 6, 0},
    {"Rnd(1, 2)", 450, 0},
    {"rnd = 1", 501, 0, true},
};
INSTANTIATE_TEST_SUITE_P(RunTime, Failures, testing::ValuesIn(RunTime));

const Failure Compile[] = {
    {"1 +", 1023, 3},           {"(1 + 2", 1006, 6},       {"x y", 1025, 2},
    {"2 # 3", 1032, 2},         {"\"open", 1033, 0},       {"", 1023, 0},
    {"mod = 1", 1002, 0, true}, {"If = 1", 1002, 0, true}, {"x = ", 1023, 4, true},
    {"1 = 2", 1024, 0, true},   {"x", 1011, 1, true},      {"x = 1 : y = 2", 1025, 6, true},
    {"a\xc3\xa9", 1032, 1},
};
INSTANTIATE_TEST_SUITE_P(Compile, Failures, testing::ValuesIn(Compile));

TEST(BadInput, NulInsideTheTextIsAnInvalidCharacter) {
    ScriptControl engine;
    try {
        engine.Eval(std::string_view("1+\0 2", 5));
        FAIL();
    } catch (const ScriptFailure& failure) {
        EXPECT_EQ(failure.Number, 1032);
        EXPECT_EQ(engine.Error().Column, 2);
    }
}

TEST(BadInput, DeepNestingIsACompileErrorNotACrash) {
    ScriptControl engine;
    for (const char* open : {"(", "-", "Not ", "Sin("}) {
        std::string text;
        for (int i = 0; i < 10000; ++i)
            text += open;
        text += "1";
        EXPECT_THROW(engine.Eval(text), ScriptFailure) << open;
        EXPECT_EQ(engine.Error().Number, 1099) << open;
    }
    std::string moderate = std::string(150, '(') + "2" + std::string(150, ')');
    EXPECT_EQ(engine.Eval(moderate).number, 2.0);
}

TEST(BadInput, LongExpressionsEvaluate) {
    ScriptControl engine;
    engine.ExecuteStatement("x = 1");
    std::string text = "x";
    while (text.size() < 1000000)
        text += "+x";
    const Variant sum = engine.Eval(text);
    EXPECT_EQ(sum.number, static_cast<double>((text.size() + 1) / 2));
}

TEST(BadInput, ASecondLineIsNotAccepted) {
    ScriptControl engine;
    EXPECT_THROW(engine.Eval("1 +\n 2"), ScriptFailure);
    EXPECT_EQ(engine.Error().Number, 1025);
    EXPECT_EQ(engine.Error().Column, 3);
}

TEST(Errors, AFailedStatementStoresNothing) {
    ScriptControl engine;
    engine.ExecuteStatement("a = 1");
    EXPECT_THROW(engine.ExecuteStatement("a = 1/0"), ScriptFailure);
    EXPECT_EQ(engine.Eval("a").number, 1.0);
}

TEST(Errors, ACompileErrorIsRaisedAtEveryCall) {
    ScriptControl engine;
    int events = 0;
    engine.SetErrorHandler([&] { ++events; });
    const auto bad = engine.Prepare("1 +* 2");
    EXPECT_THROW(engine.EvaluateNumber(bad), ScriptFailure);
    EXPECT_THROW(engine.EvaluateNumber(bad), ScriptFailure);
    EXPECT_EQ(events, 2);
}

} // namespace
} // namespace vantrel
