#include "engine/ScriptErrorReport.h"

namespace vantrel {

namespace {
constexpr char CR = '\r';
constexpr int32_t ScriptControlException = -2147352319; // 80020101 hexadecimal
} // namespace

bool IsArithmeticError(int32_t number) {
    return number == 5 || number == 6 || number == 11 || number == ScriptControlException;
}

void ScriptControl1_Error(const ScriptError& error, int32_t& ierr, Reporter& reporter) {
    ierr = error.Number;
    if (IsArithmeticError(error.Number)) return;
    Message box;
    box.title = "Error in Script Control";
    box.icon = MsgIcon::Critical;
    box.text = error.Source + " " + std::to_string(error.Number) + CR + error.Description + CR +
               CR + "At line " + std::to_string(error.Line) + ", col " +
               std::to_string(error.Column) + ": [" + error.Text + "]";
    reporter.Show(box);
}

void ReportComputationError(int32_t number, const std::string& source,
                            const std::string& description, int32_t& ierr, Reporter& reporter) {
    ierr = number;
    if (!IsArithmeticError(number)) return;
    Message box;
    box.title = source;
    box.icon = MsgIcon::Critical;
    box.text = source + " " + std::to_string(number) + CR + description + CR + CR;
    reporter.Show(box);
}

} // namespace vantrel
