// The printed report of a problem and its result, as lines of text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

struct ReportLevel {
    std::string name;
    std::string upper;
    std::string lower;
    int32_t minSub = 0;
};

struct ReportInput {
    int32_t order = 0;
    std::vector<std::string> varNames; // level 0 first
    std::string integrand;
    bool listConstants = false;         // the number of constants is not 0
    std::vector<std::string> constants; // the constants list, in list order
    std::vector<ReportLevel> levels;    // one for each level, level 0 first
    double maxError = 0;
    bool computed = false;
    double integral = 0; // printed when computed
};

std::vector<std::string> ReportLines(const ReportInput& input);

} // namespace vantrel
