#include "io/Report.h"

#include "engine/NumberText.h"

namespace vantrel {

namespace {

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i ? "," : "") + names[i];
    return text;
}

} // namespace

std::vector<std::string> ReportLines(const ReportInput& input) {
    std::vector<std::string> lines;
    lines.push_back("    ORDER:" + NumberItem(input.order));
    lines.push_back("VARIABLES: " + Joined(input.varNames));
    lines.push_back("INTEGRAND:");
    lines.push_back(input.integrand);
    lines.push_back("");
    if (input.listConstants) {
        lines.push_back("CONSTANTS:");
        lines.insert(lines.end(), input.constants.begin(), input.constants.end());
        lines.push_back("");
    }
    for (std::size_t level = 0; level < input.levels.size(); ++level) {
        const ReportLevel& item = input.levels[level];
        lines.push_back("INTEGRATION #" + NumberItem(static_cast<double>(level + 1)) + "OVER " +
                        item.name + ":");
        lines.push_back("UPPER LIMIT: " + item.upper);
        lines.push_back("LOWER LIMIT: " + item.lower);
        lines.push_back("MINIMUM # OF SUBINTERVALS:" + NumberItem(item.minSub));
        lines.push_back("");
    }
    lines.push_back("MAXIMUM ERROR:" + NumberItem(input.maxError));
    lines.push_back("");
    if (input.computed) lines.push_back("INTEGRAL= " + NumberItem(input.integral));
    return lines;
}

} // namespace vantrel
