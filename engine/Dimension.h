// The one record of the current problem: its definition, the file buffers, the integrator's
// per-level working arrays and the status fields. Every part of the program reads and writes
// its fields by name.
#pragma once

#include "script/Class1.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

struct Dimension {
    static constexpr int MaxConstants = 101;
    static constexpr int MaxOrder = 10;

    // Problem definition
    int32_t Order = 0;
    int32_t LastLevel = 0;
    double MaxError = 0.0;
    double PrevMaxError = 0.0;
    std::string Equation;
    std::vector<std::string> VarNam;
    std::vector<std::string> LLText, ULText;
    std::vector<int32_t> MinSub;
    std::array<std::string, MaxConstants> ConsText;
    int32_t NumCons = 0;

    // File buffers
    std::string FileEquation;
    std::vector<std::string> FileLL, FileUL;
    double FileIntegral = 0.0;
    std::string FileName;

    // Integrator working arrays
    std::vector<int32_t> NSub;
    std::vector<double> VarVal, LLVal, ULVal, H, FA, FB;
    std::vector<double> Sum7, Sum12, Sum14, Sum32, PrevInteg, Integ;

    // Computation control and status
    int32_t Level = 0;
    bool Computed = false;

    // Editing state
    bool Loading = false;
    bool ManyLevels = false;
    std::string TextBuf;

    // Sets Order and LastLevel and re-creates the nineteen per-level arrays with indices
    // 0 to LastLevel, every element reset (numbers 0, texts empty).
    void RecreateLevelArrays(int32_t order);

    // The one added-functions object, created on first use.
    Class1& Funcs();

private:
    std::unique_ptr<Class1> funcs_;
};

} // namespace vantrel
