// The expression language: values, precedence, conversions and the built-in functions.
#include "script/ScriptControl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vantrel {
namespace {

struct Case {
    const char* text;
    VarType type;
    double number = 0;
    const char* str = "";
};

std::ostream& operator<<(std::ostream& out, const Case& c) {
    return out << c.text;
}

class Values : public testing::TestWithParam<Case> {};

TEST_P(Values, EvaluatesTo) {
    ScriptControl engine;
    engine.ExecuteStatement("a = 2");
    engine.ExecuteStatement("s = \"12\"");
    const Case& c = GetParam();
    const Variant value = engine.Eval(c.text);
    ASSERT_EQ(value.type, c.type);
    switch (c.type) {
    case VarType::Number:
        EXPECT_EQ(value.number, c.number);
        break;
    case VarType::Boolean:
        EXPECT_EQ(value.boolean ? -1 : 0, c.number);
        break;
    case VarType::String:
        EXPECT_EQ(value.text, c.str);
        break;
    default:
        break;
    }
}

const Case Literals[] = {
    {"1", VarType::Number, 1},
    {".5", VarType::Number, 0.5},
    {"2.5E-3", VarType::Number, 2.5e-3},
    {"1e+2", VarType::Number, 100},
    {"&H1F", VarType::Number, 31},
    {"&HFFFF", VarType::Number, -1}, // four hex digits are a 16-bit whole number
    {"&H10000", VarType::Number, 65536},
    {"&HFFFFFFFF", VarType::Number, -1},
    {"&O17", VarType::Number, 15},
    {"\"a\"\"b\"", VarType::String, 0, "a\"b"},
    {"True", VarType::Boolean, -1},
    {"false", VarType::Boolean, 0},
    {"Empty", VarType::Empty},
    {"Null", VarType::Null},
    {"neverAssigned", VarType::Empty},
    {"A", VarType::Number, 2}, // names are case-insensitive
};
INSTANTIATE_TEST_SUITE_P(Literals, Values, testing::ValuesIn(Literals));

const Case Precedence[] = {
    {"-2^2", VarType::Number, -4},
    {"2^-1", VarType::Number, 0.5},
    {"2^3^2", VarType::Number, 64}, // left-associative
    {"-a^2", VarType::Number, -4},
    {"1+2*3", VarType::Number, 7},
    {"(1+2)*3", VarType::Number, 9},
    {"7\\2*3", VarType::Number, 1}, // * before \ .
    {"7 Mod 4\\2", VarType::Number, 1},
    {"1+7 Mod 4", VarType::Number, 4},
    {"8/2/2", VarType::Number, 2},
    {"1 & 2+3", VarType::String, 0, "15"},
    {"1+1=2", VarType::Boolean, -1},
    {"Not 1=2", VarType::Boolean, -1},
    {"Not 0", VarType::Number, -1},
    {"1<2 And 2<3", VarType::Boolean, -1},
    {"3 And 5", VarType::Number, 1},
    {"3 Or 5", VarType::Number, 7},
    {"3 Xor 5", VarType::Number, 6},
    {"True Eqv False", VarType::Boolean, 0},
    {"False Imp False", VarType::Boolean, -1},
    {"2.5 And 3.5", VarType::Number, 0}, // 2 And 4: half to even
    {"5.5 \\ 2", VarType::Number, 3},
    {"-7 Mod 3", VarType::Number, -1},
    {"True + 1", VarType::Number, 0},
    {"Empty + 1", VarType::Number, 1},
    {"s * 2", VarType::Number, 24},
    {"s + s", VarType::String, 0, "1212"},
    {"s + 1", VarType::Number, 13},
    {"Null + 1", VarType::Null},
    {"Null & \"x\"", VarType::String, 0, "x"},
    {"False And Null", VarType::Boolean, 0},
    {"1 < \"a\"", VarType::Boolean, -1},
    {"0.1 & \"\"", VarType::String, 0, "0.1"},
    {"1/3 & \"\"", VarType::String, 0, "0.333333333333333"},
    {"1E20 & \"\"", VarType::String, 0, "1E+20"},
};
INSTANTIATE_TEST_SUITE_P(Precedence, Values, testing::ValuesIn(Precedence));

const Case Functions[] = {
    {"Abs(-3)", VarType::Number, 3},
    {"Atn(1)*4", VarType::Number, std::atan(1.0) * 4},
    {"Cos(0)", VarType::Number, 1},
    {"Exp(1)", VarType::Number, std::exp(1.0)},
    {"Fix(-2.5)", VarType::Number, -2},
    {"Int(-2.5)", VarType::Number, -3},
    {"Log(Exp(2))", VarType::Number, std::log(std::exp(2.0))},
    {"Sgn(-0.1)", VarType::Number, -1},
    {"Sin(1)", VarType::Number, std::sin(1.0)},
    {"Sqr(2)", VarType::Number, std::sqrt(2.0)},
    {"Tan(1)", VarType::Number, std::tan(1.0)},
    {"Round(2.5)", VarType::Number, 2},
    {"Round(3.5)", VarType::Number, 4},
    {"Round(1.25, 1)", VarType::Number, 1.2},
    {"CDbl(\"1.5\")", VarType::Number, 1.5},
    {"CInt(2.5)", VarType::Number, 2},
    {"CLng(-3.5)", VarType::Number, -4},
    {"CBool(2)", VarType::Boolean, -1},
    {"Abs(Null)", VarType::Null},
    {"sin(0.5)^2+COS(0.5)^2", VarType::Number,
     std::pow(std::sin(0.5), 2) + std::pow(std::cos(0.5), 2)},
    {"2^0.5", VarType::Number, std::pow(2.0, 0.5)},
};
INSTANTIATE_TEST_SUITE_P(Functions, Values, testing::ValuesIn(Functions));

// Every engine draws from one sequence of its own, which starts where the language's does.
TEST(Rnd, DrawsTheLanguagesSequence) {
    ScriptControl engine;
    const struct {
        const char* text;
        double number;
    } draws[] = {
        {"Rnd", 0.7055475115776062},        {"Rnd()", 0.5334240198135376},
        {"Rnd(0)", 0.5334240198135376},     {"rnd(7)", 0.5795186161994934},
        {"Rnd(-1)", 0.2240070104598999},    {"Rnd(-1)", 0.2240070104598999},
        {"Rnd(0.5)", 0.035845816135406494}, {"Rnd(-0.5)", 0.7240070104598999},
    };
    for (const auto& draw : draws)
        EXPECT_EQ(engine.Eval(draw.text).number, draw.number) << draw.text;
    EXPECT_EQ(ScriptControl().Eval("Rnd").number, 0.7055475115776062);
    const ScriptControl::ExprHandle sum = engine.Prepare("x + Rnd(1) * 2");
    EXPECT_TRUE(engine.Calls(sum, "rnd"));
    EXPECT_FALSE(engine.Calls(sum, "x") || engine.Calls(engine.Prepare("Sin(x)"), "Rnd"));
}

TEST(Statements, StoreUnderTheNameForLaterCalls) {
    ScriptControl engine;
    engine.ExecuteStatement("Rate = 0.25");
    engine.ExecuteStatement("total = rate * 4 + 1");
    EXPECT_EQ(engine.Eval("TOTAL").number, 2.0);
    engine.ExecuteStatement("rate = \"text\"");
    EXPECT_EQ(engine.Eval("rate").text, "text");
}

TEST(Statements, TrailingLineEndsAndCommentsAreIgnored) {
    ScriptControl engine;
    engine.ExecuteStatement("a = 1\r\n");
    EXPECT_EQ(engine.Eval("a + 1 ' comment").number, 2.0);
}

TEST(Handles, PreparedExpressionSeesLaterAssignments) {
    ScriptControl engine;
    const auto sum = engine.Prepare("x*y + 1");
    const auto x = engine.BindVariable("x"), y = engine.BindVariable("Y");
    engine.Assign(x, 2);
    engine.Assign(y, 3);
    EXPECT_EQ(engine.EvaluateNumber(sum), 7.0);
    engine.ExecuteStatement("y = \"4\""); // a string leaves the fast route, same value
    EXPECT_EQ(engine.EvaluateNumber(sum), 9.0);
    engine.ExecuteStatement("y = True");
    EXPECT_EQ(engine.EvaluateNumber(sum), -1.0);
    EXPECT_EQ(engine.Prepare("x*y + 1"), sum);
}

TEST(Handles, TheSameValueIsStoredAgainAfterAStatementChangedIt) {
    ScriptControl engine;
    const auto x = engine.BindVariable("x");
    EXPECT_EQ(engine.BindVariable("X"), x);
    const auto read = engine.Prepare("x");
    engine.Assign(x, 1);
    engine.ExecuteStatement("x = 5");
    engine.Assign(x, 1);
    EXPECT_EQ(engine.EvaluateNumber(read), 1.0);
    engine.ExecuteStatement("x = \"a\"");
    engine.Assign(x, 1);
    EXPECT_EQ(engine.Eval("x").type, VarType::Number);
}

TEST(Handles, ConversionFailuresRaiseNoErrorEvent) {
    ScriptControl engine;
    int events = 0;
    engine.SetErrorHandler([&] { ++events; });
    try {
        engine.EvaluateNumber(engine.Prepare("\"abc\""));
        FAIL();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number, 13);
    }
    try {
        engine.EvaluateNumber(engine.Prepare("Null"));
        FAIL();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.Number, 94);
    }
    EXPECT_EQ(engine.EvaluateNumber(engine.Prepare("Empty")), 0.0);
    EXPECT_EQ(events, 0);
}

} // namespace
} // namespace vantrel
