// The added functions and constants, reached by bare name through the engine.
#include "script/Class1.h"
#include "script/ScriptControl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel {
namespace {

class AddedFunctions : public testing::Test {
protected:
    AddedFunctions() {
        funcs.SetErrorRecorder([this](int32_t number) { recorded = number; });
        engine.AddObject("sh", &funcs, true);
        engine.ExecuteStatement("halfpi = Atn(1) * 2");
        engine.ExecuteStatement("pi = Atn(1) * 4");
        engine.ExecuteStatement("e = Exp(1)");
    }
    double Value(const char* text) { return engine.Eval(text).number; }

    Class1 funcs;
    ScriptControl engine;
    int32_t recorded = 0;
};

TEST_F(AddedFunctions, StatementsSetTheObjectsOwnProperties) {
    EXPECT_EQ(funcs.halfpi, std::atan(1.0) * 2);
    EXPECT_EQ(funcs.pi, std::atan(1.0) * 4);
    EXPECT_EQ(funcs.e, std::exp(1.0));
    engine.ExecuteStatement("X = 0.5");
    EXPECT_EQ(funcs.x, 0.5);
    engine.ExecuteStatement("ierr = 2.5");
    EXPECT_EQ(funcs.ierr, 2);
    EXPECT_THROW(engine.ExecuteStatement("ierr = 3E9"), ScriptFailure);
    EXPECT_EQ(engine.Error().Number, 6);
}

struct Exact {
    const char* text;
    double expected;
};

TEST_F(AddedFunctions, ExactValuesAtTheEnds) {
    const double h = std::atan(1.0) * 2;
    const Exact cases[] = {
        {"Asin(1)", h},
        {"Asin(-1)", -h},
        {"Acos(1)", 0},
        {"Acos(-1)", h + h},
        {"Asin(0.5)", std::atan(0.5 / std::sqrt(1 - 0.25))},
        {"Sinh(1)", (std::exp(1.0) - std::exp(-1.0)) * 0.5},
        {"Tanh(0.5)", 1 + (-2 * std::exp(-0.5)) / (std::exp(-0.5) + std::exp(0.5))},
        {"Asinh(1)", std::log(1 + std::sqrt(2.0))},
    };
    for (const Exact& c : cases) {
        EXPECT_EQ(Value(c.text), c.expected) << c.text;
        EXPECT_EQ(funcs.ierr, 0) << c.text;
    }
}

TEST_F(AddedFunctions, ErrorsAreTrappedRecordedAndGiveZero) {
    const struct {
        const char* text;
        int32_t number;
    } cases[] = {
        {"Asin(1.0000001)", 5}, {"Atanh(1)", 11},    {"Atanh(-1)", 5},   {"Acosh(0.5)", 5},
        {"Acosh(-1)", 5},       {"Sinh(710)", 6},    {"Cosh(-710)", 6},  {"Tanh(710)", 6},
        {"Asinh(-1E9)", 5},     {"Asin(\"a\")", 13}, {"Acos(Null)", 13},
    };
    int events = 0;
    engine.SetErrorHandler([&] { ++events; });
    for (const auto& c : cases) {
        funcs.ierr = 0;
        recorded = 0;
        EXPECT_EQ(Value(c.text), 0.0) << c.text;
        EXPECT_EQ(funcs.ierr, c.number) << c.text;
        EXPECT_EQ(recorded, c.number) << c.text;
    }
    EXPECT_EQ(events, 0);
}

TEST_F(AddedFunctions, AUserHalfpiChangesAsinAndAcos) {
    engine.ExecuteStatement("halfpi = 3");
    EXPECT_EQ(Value("Asin(1)"), 3.0);
    EXPECT_EQ(Value("Acos(0)"), 3.0);
    engine.ExecuteStatement("halfpi = 0");
    EXPECT_EQ(Value("Asin(1)"), 0.0);
}

TEST_F(AddedFunctions, FunctionNamesCannotBeAssigned) {
    EXPECT_THROW(engine.ExecuteStatement("Asin = 1"), ScriptFailure);
    EXPECT_EQ(engine.Error().Number, 501);
    EXPECT_THROW(engine.Eval("Asin(1, 2)"), ScriptFailure);
    EXPECT_EQ(engine.Error().Number, 450);
}

TEST_F(AddedFunctions, BoundVariablesReachTheObjectsProperties) {
    const auto x = engine.BindVariable("x");
    engine.Assign(x, 0.25);
    EXPECT_EQ(funcs.x, 0.25);
    const auto ierr = engine.BindVariable("ierr");
    engine.Assign(ierr, 7);
    EXPECT_EQ(funcs.ierr, 7);
    EXPECT_THROW(engine.Assign(ierr, 1E10), ScriptFailure);
    EXPECT_EQ(engine.Error().Number, 6);
    EXPECT_EQ(engine.Error().Text, "ierr= 10000000000");
}

} // namespace
} // namespace vantrel
