#include "io/ProblemFile.h"

#include "engine/NumberText.h"
#include "io/FieldReader.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <utility>

namespace vantrel {

namespace {

constexpr std::string_view Header = "Vantrel";
constexpr std::string_view LineEnd = "\r\n";
constexpr int32_t MaxOrder = 10;
constexpr std::size_t MaxConstants = 101;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number field: an optional sign, digits with an optional "." and fraction, an optional
// exponent with E or e.
bool IsNumberField(std::string_view text) {
    std::size_t pos = 0;
    auto digits = [&] {
        const std::size_t start = pos;
        while (pos < text.size() && IsDigit(text[pos]))
            ++pos;
        return pos > start;
    };
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    bool mantissa = digits();
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        mantissa = digits() || mantissa;
    }
    if (!mantissa) return false;
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
        if (!digits()) return false;
    }
    return pos == text.size();
}

// A number field's value. The leading-number rule reads a number beyond the range of a double
// as the largest double, and the largest double written with 15 digits (1.79769313486232E+308)
// is indeed beyond it; a number of 1E309 or more is no double at all and reads as an infinity,
// which no check lets pass.
double FieldValue(std::string_view text) {
    const double value = LeadingNumber(text);
    if (std::fabs(value) != std::numeric_limits<double>::max()) return value;
    if (text.front() == '+' || text.front() == '-') text.remove_prefix(1);
    long double wide = 0;
    std::from_chars(text.data(), text.data() + text.size(), wide);
    if (wide < 1e309L) return value;
    return std::copysign(std::numeric_limits<double>::infinity(), value);
}

std::string OfIntegration(std::string_view what, std::size_t level) {
    return std::string(what) + " of integration #" + std::to_string(level + 1);
}

// Reads typed fields in turn; the first failure is kept as a reason that names the line.
class Decoder {
public:
    explicit Decoder(std::string_view bytes) : reader_(bytes) {}

    // The next field is the first of its line.
    Decoder& NewLine() {
        startsLine_ = true;
        return *this;
    }

    bool Text(std::string& text, const std::string& what) {
        return Accept(reader_.Text(text), what);
    }

    bool Number(double& value, const std::string& what) {
        std::string text;
        if (!Accept(reader_.Bare(text), what)) return false;
        if (!IsNumberField(text)) return Fail(what + " is not a number");
        value = FieldValue(text);
        return true;
    }

    bool Whole(int32_t& value, const std::string& what) {
        double number = 0;
        if (!Number(number, what)) return false;
        if (!RoundToInt32(number, value)) return Fail(what + " is too large");
        return true;
    }

    bool Flag(bool& value, const std::string& what) {
        std::string text;
        if (!Accept(reader_.Bare(text), what)) return false;
        if (text != "#TRUE#" && text != "#FALSE#")
            return Fail(what + " is neither #TRUE# nor #FALSE#");
        value = text == "#TRUE#";
        return true;
    }

    bool Fail(const std::string& problem) {
        reason_ = "Line " + std::to_string(reader_.Line()) + ": " + problem + ".";
        return false;
    }

    const std::string& Reason() const { return reason_; }

private:
    bool Accept(FieldReader::Result result, const std::string& what) {
        const bool startsLine = std::exchange(startsLine_, false);
        switch (result) {
        case FieldReader::Result::Ok:
            return true;
        case FieldReader::Result::EndOfFile:
            reason_ = "The file ends early: line " +
                      std::to_string(reader_.MissingLine(startsLine)) + " should hold " + what +
                      ".";
            return false;
        case FieldReader::Result::UnclosedQuote:
            return Fail(what + " has no closing double quote");
        }
        return false;
    }

    FieldReader reader_;
    std::string reason_;
    bool startsLine_ = true;
};

bool DecodeBody(Decoder& in, ProblemRead& problem) {
    if (!in.NewLine().Whole(problem.order, "the order") ||
        !in.Number(problem.maxError, "the maximum error") ||
        !in.Flag(problem.computed, "the result flag") ||
        !in.Text(problem.integrand, "the integrand"))
        return false;
    if (problem.order < 1 || problem.order > MaxOrder)
        return in.Fail("the order must be from 1 to " + std::to_string(MaxOrder));
    // 1E400 reads as infinity: refused like a maximum error of 0.
    if (!(std::isfinite(problem.maxError) && problem.maxError > 0))
        return in.Fail("the maximum error must be a finite number above 0");

    int32_t count = 0;
    if (!in.NewLine().Whole(count, "the number of constants")) return false;
    if (count < 0) return in.Fail("the number of constants is negative");
    if (static_cast<std::size_t>(count) > MaxConstants)
        return in.Fail("there are more than " + std::to_string(MaxConstants) + " constants");
    problem.constants.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < problem.constants.size(); ++i)
        if (!in.NewLine().Text(problem.constants[i], "constant " + std::to_string(i + 1) + " of " +
                                                         std::to_string(count)))
            return false;

    if (problem.computed) {
        if (!in.NewLine().Number(problem.integral, "the result")) return false;
        if (!std::isfinite(problem.integral)) return in.Fail("the result is not a finite number");
    }

    problem.levels.resize(static_cast<std::size_t>(problem.order));
    for (std::size_t level = 0; level < problem.levels.size(); ++level) {
        LevelRecord& record = problem.levels[level];
        if (!in.NewLine().Text(record.name, OfIntegration("the variable name", level)) ||
            !in.Text(record.lower, OfIntegration("the lower limit", level)) ||
            !in.Text(record.upper, OfIntegration("the upper limit", level)) ||
            !in.Whole(record.minSub, OfIntegration("the minimum number of subintervals", level)))
            return false;
    }
    return true;
}

} // namespace

std::string EncodeProblem(const ProblemToWrite& problem) {
    std::string out;
    out.append(Header).append(LineEnd);
    out.append(GeneralNumber(problem.order) + "," + GeneralNumber(problem.maxError) + "," +
               (problem.computed ? "#TRUE#" : "#FALSE#") + "," + Quoted(problem.integrand))
        .append(LineEnd);
    out.append(NumberItem(static_cast<double>(problem.constants.size()))).append(LineEnd);
    for (const std::string& constant : problem.constants)
        out.append(constant).append(LineEnd);
    if (problem.computed) out.append(NumberItem(problem.integral)).append(LineEnd);
    for (const LevelRecord& level : problem.levels)
        out.append(Quoted(level.name) + "," + Quoted(level.lower) + "," + Quoted(level.upper) +
                   "," + std::to_string(level.minSub))
            .append(LineEnd);
    return out;
}

ReadOutcome DecodeProblem(const std::string& bytes) {
    ReadOutcome outcome;
    Decoder in(bytes);
    std::string header;
    if (!in.Text(header, "the header") || header != Header) {
        outcome.status = ReadOutcome::Status::Incompatible;
        return outcome;
    }
    ProblemRead problem;
    if (!DecodeBody(in, problem)) {
        outcome.status = ReadOutcome::Status::Failed;
        outcome.reason = in.Reason();
        return outcome;
    }
    outcome.status = ReadOutcome::Status::Ok;
    outcome.problem = std::move(problem);
    return outcome;
}

bool ConstantFitsFile(const std::string& constant) {
    if (constant.find_first_of(",\r\n") != std::string::npos) return false;
    return constant.empty() || (constant[0] != ' ' && constant[0] != '\t' && constant[0] != '"');
}

bool QuotedTextFitsFile(const std::string& text) {
    return text.find('"') == std::string::npos;
}

} // namespace vantrel
