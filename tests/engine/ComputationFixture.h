// A problem state, an engine with the added functions, and a reporter that records.
#pragma once

#include "engine/Dimension.h"
#include "engine/Integrator.h"
#include "engine/ScriptEnvironment.h"
#include "engine/ScriptErrorReport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace vantrel::testing {

class RecordingReporter : public Reporter {
public:
    MsgResult Show(const Message& message) override {
        shown.push_back(message);
        return MsgResult::OK;
    }
    std::vector<Message> shown;
};

// Everything a computation leaves behind.
struct Outcome {
    std::vector<uint64_t> state; // every working array's and variable's bits
    std::vector<std::string> reports;
    int32_t ierr, funcsIerr, level;
    bool operator==(const Outcome&) const = default;
};

struct LevelText {
    std::string name, lower, upper;
    int32_t minSub = 4;
};

// A problem of a table of cases, named by its first field.
struct Problem {
    const char* name;
    const char* integrand;
    std::vector<LevelText> levels;
    double maxError = 1e-6;
};

inline std::ostream& operator<<(std::ostream& out, const Problem& p) {
    return out << p.name;
}

class ComputationFixture : public ::testing::Test {
protected:
    ComputationFixture() {
        engine.SetErrorHandler([this] { ScriptControl1_Error(engine.Error(), ierr, reporter); });
        SetUpScriptEnvironment(engine, d.Funcs(), ierr);
    }

    // Defines a problem, level 0 first, keeping the working arrays of an equal order.
    void Define(const std::string& integrand, const std::vector<LevelText>& levels,
                double maxError = 1e-6) {
        const auto order = static_cast<int32_t>(levels.size());
        if (d.Order != order) d.RecreateLevelArrays(order);
        d.Equation = integrand;
        d.MaxError = maxError;
        for (int32_t L = 0; L < order; ++L) {
            d.VarNam[L] = levels[L].name;
            d.LLText[L] = levels[L].lower;
            d.ULText[L] = levels[L].upper;
            d.MinSub[L] = levels[L].minSub;
        }
    }

    // Computes as the Integrate command does; true when no error occurred.
    bool Run() {
        d.Level = d.Order;
        ierr = 0;
        integrator.Compute();
        return ierr == 0;
    }
    double Result() const { return d.Integ[d.Order - 1]; }

    Outcome Leftovers() {
        Outcome o{{}, {}, ierr, d.Funcs().ierr, d.Level};
        for (const auto* array : {&d.VarVal, &d.LLVal, &d.ULVal, &d.H, &d.FA, &d.FB, &d.Sum7,
                                  &d.Sum12, &d.Sum14, &d.Sum32, &d.PrevInteg, &d.Integ})
            for (double v : *array)
                o.state.push_back(std::bit_cast<uint64_t>(v));
        for (int32_t n : d.NSub)
            o.state.push_back(static_cast<uint64_t>(n));
        for (const std::string& name : d.VarNam)
            o.state.push_back(std::bit_cast<uint64_t>(engine.Eval(name).number));
        for (const Message& m : reporter.shown)
            o.reports.push_back(m.title + "|" + m.text);
        return o;
    }

    Dimension d;
    ScriptControl engine;
    RecordingReporter reporter;
    int32_t ierr = 0;
    Integrator integrator{d, engine, reporter, ierr};
};

} // namespace vantrel::testing
