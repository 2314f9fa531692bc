// A problem state, an engine with the added functions, and a reporter that records.
#pragma once

#include "engine/Dimension.h"
#include "engine/Integrator.h"
#include "engine/ScriptEnvironment.h"
#include "engine/ScriptErrorReport.h"

#include <gtest/gtest.h>

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

struct LevelText {
    std::string name, lower, upper;
    int32_t minSub = 4;
};

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

    Dimension d;
    ScriptControl engine;
    RecordingReporter reporter;
    int32_t ierr = 0;
    Integrator integrator{d, engine, reporter, ierr};
};

} // namespace vantrel::testing
