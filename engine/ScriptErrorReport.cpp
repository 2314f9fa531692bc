#include "engine/ScriptErrorReport.h"

#include <algorithm>

namespace vantrel {

namespace {
constexpr char CR = '\r';
constexpr int32_t ScriptControlException = -2147352319; // 80020101 hexadecimal

bool ContinuesCharacter(const std::string& text, std::size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
}

} // namespace

std::string TextAround(const std::string& text, int32_t column) {
    if (text.size() <= ReportedTextLimit) return text;
    const std::size_t failing = std::min<std::size_t>(std::max(column, 0), text.size());
    std::size_t start = failing > ReportedTextLimit / 3 ? failing - ReportedTextLimit / 3 : 0;
    std::size_t end = std::min(text.size(), start + ReportedTextLimit);
    start = end - std::min(end, ReportedTextLimit); // near the end, the whole limit before it
    // Cut between characters of a UTF-8 text, not inside one.
    while (ContinuesCharacter(text, start))
        ++start;
    while (ContinuesCharacter(text, end))
        --end;
    const std::string cut = "\xE2\x80\xA6"; // the ellipsis, in UTF-8
    return (start > 0 ? cut : "") + text.substr(start, end - start) +
           (end < text.size() ? cut : "");
}

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
               std::to_string(error.Column) + ": [" + TextAround(error.Text, error.Column) + "]";
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
