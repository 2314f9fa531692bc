#include "io/ProblemFile.h"

#include "script/NumberFormat.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

ProblemToWrite TripleWithResult() {
    ProblemToWrite p;
    p.order = 3;
    p.maxError = 0.001;
    p.computed = true;
    p.integrand = "a*x+b*y*z";
    p.constants = {"a=2.37", "b=a+1"};
    p.integral = -2.0 / 3.0;
    p.levels = {{"x", "0", "y", 4}, {"y", "-z", "1", 8}, {"z", "0", "1", 0}};
    return p;
}

ReadOutcome Decoded(const std::string& bytes) {
    return DecodeProblem(bytes);
}

TEST(EncodeProblem, WritesEveryLineKind) {
    EXPECT_EQ(EncodeProblem(TripleWithResult()), "Vantrel\r\n"
                                                 "3,0.001,#TRUE#,\"a*x+b*y*z\"\r\n"
                                                 " 2 \r\n"
                                                 "a=2.37\r\n"
                                                 "b=a+1\r\n"
                                                 "-0.666666666666667 \r\n"
                                                 "\"x\",\"0\",\"y\",4\r\n"
                                                 "\"y\",\"-z\",\"1\",8\r\n"
                                                 "\"z\",\"0\",\"1\",0\r\n");
}

TEST(EncodeProblem, WritesNoConstantLinesAndNoResultLineWhenThereAreNone) {
    ProblemToWrite p;
    p.order = 3.5; // as typed; accepted as 4
    p.maxError = 1e-6;
    p.integrand = "x";
    p.levels = {{"x", "0", "1", 0}};
    EXPECT_EQ(EncodeProblem(p),
              "Vantrel\r\n3.5,1E-06,#FALSE#,\"x\"\r\n 0 \r\n\"x\",\"0\",\"1\",0\r\n");
}

TEST(DecodeProblem, ReadsBackWhatWasWrittenFieldByField) {
    const ProblemToWrite written = TripleWithResult();
    const ReadOutcome read = Decoded(EncodeProblem(written));
    ASSERT_EQ(read.status, ReadOutcome::Status::Ok) << read.reason;
    const ProblemRead& p = read.problem;
    EXPECT_EQ(p.order, 3);
    EXPECT_EQ(p.maxError, 0.001);
    EXPECT_TRUE(p.computed);
    EXPECT_EQ(p.integrand, written.integrand);
    EXPECT_EQ(p.constants, written.constants);
    EXPECT_EQ(p.integral, Round15(written.integral));
    ASSERT_EQ(p.levels.size(), 3u);
    for (std::size_t level = 0; level < 3; ++level) {
        EXPECT_EQ(p.levels[level].name, written.levels[level].name);
        EXPECT_EQ(p.levels[level].lower, written.levels[level].lower);
        EXPECT_EQ(p.levels[level].upper, written.levels[level].upper);
        EXPECT_EQ(p.levels[level].minSub, written.levels[level].minSub);
    }
}

TEST(DecodeProblem, RoundsTheTypedOrderHalfToEven) {
    for (const auto& [typed, order] : {std::pair{2.5, 2}, {3.5, 4}, {3.0, 3}}) {
        ProblemToWrite p;
        p.order = typed;
        p.maxError = 0.01;
        p.levels.assign(static_cast<std::size_t>(order), {"v", "0", "1", 4});
        const ReadOutcome read = Decoded(EncodeProblem(p));
        ASSERT_EQ(read.status, ReadOutcome::Status::Ok) << read.reason;
        EXPECT_EQ(read.problem.order, order);
        EXPECT_EQ(read.problem.levels.size(), static_cast<std::size_t>(order));
        EXPECT_FALSE(read.problem.computed);
        EXPECT_TRUE(read.problem.constants.empty());
    }
}

TEST(DecodeProblem, CarriesEightBitTextsAndExtremeNumbersUnchanged) {
    ProblemToWrite p;
    p.order = 1;
    p.maxError = 1e-300;
    p.computed = true;
    p.integrand = "\xE9t\xE9*\xB5"; // latin-1 bytes
    p.constants = {"\xE4=1", "", "b=Sin(1) "};
    p.integral = 1.7976931348623157e308;
    p.levels = {{"\xE9", "-1E+20", "Exp(1)", 2147483647}};
    const ReadOutcome read = Decoded(EncodeProblem(p));
    ASSERT_EQ(read.status, ReadOutcome::Status::Ok) << read.reason;
    EXPECT_EQ(read.problem.integrand, p.integrand);
    EXPECT_EQ(read.problem.constants, p.constants);
    EXPECT_EQ(read.problem.maxError, 1e-300);
    EXPECT_EQ(read.problem.integral, p.integral);
    EXPECT_EQ(read.problem.levels[0].name, "\xE9");
    EXPECT_EQ(read.problem.levels[0].lower, "-1E+20");
    EXPECT_EQ(read.problem.levels[0].minSub, 2147483647);
}

TEST(DecodeProblem, FollowsTheFieldRules) {
    // Line ends of any kind, blanks and tabs in front of fields, lower-case exponents, a
    // fraction without a leading digit, and text after a closing quote.
    const ReadOutcome read = Decoded("\t \"Vantrel\"ignored\n"
                                     " 2 , .5e-2 , #TRUE# ,  \"f\"junk\r"
                                     "1\r\n"
                                     "c=1\n"
                                     " -1.25E+1\n"
                                     "y,\"a,b\",  \"\" ,  2.5 \r\n"
                                     "\"x\" ,\"0\",\"1\", 3.5");
    ASSERT_EQ(read.status, ReadOutcome::Status::Ok) << read.reason;
    const ProblemRead& p = read.problem;
    EXPECT_EQ(p.order, 2);
    EXPECT_EQ(p.maxError, 0.005);
    EXPECT_EQ(p.integrand, "f");
    EXPECT_EQ(p.constants, std::vector<std::string>{"c=1"});
    EXPECT_EQ(p.integral, -12.5);
    EXPECT_EQ(p.levels[0].name, "y");
    EXPECT_EQ(p.levels[0].lower, "a,b");
    EXPECT_EQ(p.levels[0].upper, "");
    EXPECT_EQ(p.levels[0].minSub, 2);
    EXPECT_EQ(p.levels[1].name, "x");
    EXPECT_EQ(p.levels[1].minSub, 4);
}

TEST(DecodeProblem, HeaderMustBeExactlyTheWord) {
    const std::string body = "\r\n1,0.1,#FALSE#,\"x\"\r\n 0 \r\n\"x\",\"0\",\"1\",4\r\n";
    for (const char* header : {"Vantrel", " \tVantrel", "\"Vantrel\"", "\"Vantrel\" x"})
        EXPECT_EQ(Decoded(header + body).status, ReadOutcome::Status::Ok) << header;
    // A comma ends the header field; what follows it is the next field.
    const ReadOutcome comma = Decoded("Vantrel,x" + body);
    EXPECT_EQ(comma.status, ReadOutcome::Status::Failed);
    EXPECT_EQ(comma.reason, "Line 1: the order is not a number.");
    for (const char* header :
         {"vantrel", "VANTREL", "Vantrel ", "Vantrel2", "\xEF\xBB\xBFVantrel", "\"Vantrel"})
        EXPECT_EQ(Decoded(header + body).status, ReadOutcome::Status::Incompatible) << header;
    EXPECT_EQ(Decoded("").status, ReadOutcome::Status::Incompatible);
}

struct FailureCase {
    const char* name;
    const char* bytes;
    const char* reason;
};

class DecodeFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DecodeFailureTest, FailsWithTheLineAndReturnsNothing) {
    const ReadOutcome read = Decoded(GetParam().bytes);
    EXPECT_EQ(read.status, ReadOutcome::Status::Failed);
    EXPECT_EQ(read.reason, GetParam().reason);
    EXPECT_EQ(read.problem.order, 0);
    EXPECT_TRUE(read.problem.integrand.empty());
    EXPECT_TRUE(read.problem.constants.empty());
    EXPECT_TRUE(read.problem.levels.empty());
}

#define HEAD "Vantrel\r\n"
#define LINE2 "2,0.01,#FALSE#,\"x*y\"\r\n"

INSTANTIATE_TEST_SUITE_P(
    Files, DecodeFailureTest,
    ::testing::Values(
        FailureCase{"OnlyHeader", HEAD, "The file ends early: line 2 should hold the order."},
        FailureCase{"NoIntegrand", HEAD "2,0.01,#FALSE#\r\n",
                    "The file ends early: line 2 should hold the integrand."},
        FailureCase{"NoCount", HEAD LINE2,
                    "The file ends early: line 3 should hold the number of constants."},
        FailureCase{"MissingConstant", HEAD LINE2 " 2 \r\na=1\r\n",
                    "The file ends early: line 5 should hold constant 2 of 2."},
        FailureCase{"MissingResult", HEAD "1,0.01,#TRUE#,\"x\"\r\n 0 \r\n",
                    "The file ends early: line 4 should hold the result."},
        FailureCase{"MissingLevel", HEAD LINE2 " 0 \r\n\"x\",\"0\",\"1\",4\r\n",
                    "The file ends early: line 5 should hold the variable name of "
                    "integration #2."},
        FailureCase{"MissingMinimum", HEAD LINE2 " 0 \r\n\"x\",\"0\",\"1\"",
                    "The file ends early: line 4 should hold the minimum number of "
                    "subintervals of integration #1."},
        // Without the last line end the missing field still belongs on the next line, or on
        // the line of the record it continues.
        FailureCase{"HeaderOnlyUnended", "Vantrel",
                    "The file ends early: line 2 should hold the order."},
        FailureCase{"BlankLine2", HEAD " \t", "The file ends early: line 2 should hold the order."},
        FailureCase{"NoIntegrandUnended", HEAD "2,0.01,#FALSE#,",
                    "The file ends early: line 2 should hold the integrand."},
        FailureCase{"MissingConstantUnended", HEAD LINE2 " 2 \r\na=1",
                    "The file ends early: line 5 should hold constant 2 of 2."},
        FailureCase{"MissingLevelUnended", HEAD LINE2 " 0 \r\n\"x\",\"0\",\"1\",4",
                    "The file ends early: line 5 should hold the variable name of "
                    "integration #2."},
        FailureCase{"OrderText", HEAD "two,0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the order is not a number."},
        FailureCase{"OrderQuoted", HEAD "\"2\",0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the order is not a number."},
        FailureCase{"OrderEmpty", HEAD ",0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the order is not a number."},
        FailureCase{"OrderWithD", HEAD "2D0,0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the order is not a number."},
        FailureCase{"OrderBlankInside", HEAD "1 0,0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the order is not a number."},
        FailureCase{"OrderZero", HEAD "0.4,0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the order must be from 1 to 10."},
        FailureCase{"OrderEleven", HEAD "11,0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the order must be from 1 to 10."},
        FailureCase{"OrderNegative", HEAD "-2,0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the order must be from 1 to 10."},
        FailureCase{"OrderHuge", HEAD "1E10,0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the order is too large."},
        FailureCase{"ErrorText", HEAD "2,small,#FALSE#,\"x\"\r\n",
                    "Line 2: the maximum error is not a number."},
        FailureCase{"ErrorHalfExponent", HEAD "2,1E,#FALSE#,\"x\"\r\n",
                    "Line 2: the maximum error is not a number."},
        FailureCase{"ErrorInfinite", HEAD "2,1E400,#FALSE#,\"x\"\r\n",
                    "Line 2: the maximum error must be a finite number above 0."},
        FailureCase{"ErrorZero", HEAD "2,0,#FALSE#,\"x\"\r\n",
                    "Line 2: the maximum error must be a finite number above 0."},
        FailureCase{"ErrorNegative", HEAD "2,-0.01,#FALSE#,\"x\"\r\n",
                    "Line 2: the maximum error must be a finite number above 0."},
        FailureCase{"ResultInfinite", HEAD "1,0.01,#TRUE#,\"x\"\r\n 0 \r\n-1E999 \r\n",
                    "Line 4: the result is not a finite number."},
        FailureCase{"FlagLowerCase", HEAD "2,0.01,#true#,\"x\"\r\n",
                    "Line 2: the result flag is neither #TRUE# nor #FALSE#."},
        FailureCase{"FlagNumber", HEAD "2,0.01,1,\"x\"\r\n",
                    "Line 2: the result flag is neither #TRUE# nor #FALSE#."},
        FailureCase{"IntegrandUnclosed", HEAD "2,0.01,#FALSE#,\"x*y\r\n 0 \r\n",
                    "Line 2: the integrand has no closing double quote."},
        FailureCase{"CountText", HEAD LINE2 " two \r\n",
                    "Line 3: the number of constants is not a number."},
        FailureCase{"CountNegative", HEAD LINE2 " -1 \r\n",
                    "Line 3: the number of constants is negative."},
        FailureCase{"CountAbove101", HEAD LINE2 " 102 \r\n",
                    "Line 3: there are more than 101 constants."},
        FailureCase{"ResultText", HEAD "1,0.01,#TRUE#,\"x\"\r\n 0 \r\n0.5x \r\n",
                    "Line 4: the result is not a number."},
        FailureCase{"MinimumText", HEAD LINE2 " 0 \r\n\"x\",\"0\",\"1\",four\r\n",
                    "Line 4: the minimum number of subintervals of integration #1 is not "
                    "a number."},
        FailureCase{"MinimumHuge", HEAD LINE2 " 0 \r\n\"x\",\"0\",\"1\",3E9\r\n",
                    "Line 4: the minimum number of subintervals of integration #1 is too "
                    "large."},
        FailureCase{"LimitUnclosed", HEAD LINE2 " 0 \r\n\"x\",\"0\",\"1,4\r\n",
                    "Line 4: the upper limit of integration #1 has no closing double "
                    "quote."}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(DecodeProblem, ReadsExactly101Constants) {
    std::string bytes = HEAD "1,0.01,#FALSE#,\"x\"\r\n 101 \r\n";
    for (int i = 0; i < 101; ++i)
        bytes.append("c")
            .append(std::to_string(i))
            .append("=")
            .append(std::to_string(i))
            .append("\r\n");
    bytes += "\"x\",\"0\",\"1\",4\r\n";
    const ReadOutcome read = Decoded(bytes);
    ASSERT_EQ(read.status, ReadOutcome::Status::Ok) << read.reason;
    ASSERT_EQ(read.problem.constants.size(), 101u);
    EXPECT_EQ(read.problem.constants[100], "c100=100");
}

TEST(DecodeProblem, CountsLinesInsideAQuotedTextThatSpansThem) {
    const ReadOutcome read = Decoded(HEAD "1,0.01,#FALSE#,\"x\r\n+1\"\r\n 0 \r\n\"x\",\"0\"\r\n");
    EXPECT_EQ(read.reason, "The file ends early: line 5 should hold the upper limit of "
                           "integration #1.");
}

struct FitCase {
    const char* text;
    bool constantFits;
    bool quotedFits;
};

// Names each case by its text, line ends and tabs written out.
std::ostream& operator<<(std::ostream& out, const FitCase& c) {
    out << '[';
    for (const char* p = c.text; *p; ++p)
        out << (*p == '\t' ? "\\t" : *p == '\r' ? "\\r" : *p == '\n' ? "\\n" : std::string(1, *p));
    return out << ']';
}

class FitsFileTest : public ::testing::TestWithParam<FitCase> {};

// What the fit checks accept must read back unchanged, as a constant and as a quoted text.
TEST_P(FitsFileTest, AcceptsExactlyWhatReadsBack) {
    const FitCase& c = GetParam();
    EXPECT_EQ(ConstantFitsFile(c.text), c.constantFits);
    EXPECT_EQ(QuotedTextFitsFile(c.text), c.quotedFits);

    ProblemToWrite p;
    p.order = 1;
    p.maxError = 0.1;
    p.integrand = c.text;
    p.constants = {c.text};
    p.levels = {{"x", "0", "1", 4}};
    const ReadOutcome read = Decoded(EncodeProblem(p));
    if (c.constantFits && c.quotedFits) {
        ASSERT_EQ(read.status, ReadOutcome::Status::Ok) << read.reason;
        EXPECT_EQ(read.problem.constants, p.constants);
        EXPECT_EQ(read.problem.integrand, p.integrand);
    } else {
        EXPECT_TRUE(read.status != ReadOutcome::Status::Ok ||
                    read.problem.constants != p.constants || read.problem.integrand != p.integrand);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FitsFileTest,
    ::testing::Values(FitCase{"a=2.37", true, true}, FitCase{"", true, true},
                      FitCase{"a = 1 ", true, true}, FitCase{"a=Max(1,2)", false, true},
                      FitCase{" a=1", false, true}, FitCase{"\ta=1", false, true},
                      FitCase{"\"a\"=1", false, false}, FitCase{"s=\"q\"", true, false},
                      FitCase{"a=1\r\nb=2", false, true}));

} // namespace
} // namespace vantrel
