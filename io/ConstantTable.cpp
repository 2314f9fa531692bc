#include "io/ConstantTable.h"

#include "io/ProblemFile.h"

#include <algorithm>

namespace vantrel {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

void RemoveEntry(Dimension& d, int k) {
    std::move(d.ConsText.begin() + k + 1, d.ConsText.begin() + d.NumCons, d.ConsText.begin() + k);
    --d.NumCons;
    d.ConsText[static_cast<std::size_t>(d.NumCons)].clear();
}

} // namespace

bool IsConstantName(std::string_view name) {
    if (name.empty() || !IsAsciiLetter(name.front())) return false;
    return std::all_of(name.begin() + 1, name.end(),
                       [](char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); });
}

std::string_view ConstantName(std::string_view text) {
    return text.substr(0, text.find('='));
}

AddOutcome AddConstant(Dimension& d, const std::string& text) {
    using Status = AddOutcome::Status;
    if (text.find('=') == std::string::npos || !IsConstantName(ConstantName(text)))
        return {Status::Ignored};
    if (!ConstantFitsFile(text)) return {Status::CannotBeSaved};
    int replaced = -1;
    for (int i = 0; i < d.NumCons; ++i)
        if (ConstantName(d.ConsText[static_cast<std::size_t>(i)]) == ConstantName(text)) {
            replaced = i;
            break;
        }
    if (replaced < 0 && d.NumCons >= Dimension::MaxConstants) return {Status::TableFull};
    if (replaced >= 0) RemoveEntry(d, replaced);
    d.ConsText[static_cast<std::size_t>(d.NumCons)] = text;
    ++d.NumCons;
    return {Status::Added, replaced};
}

std::string RemoveConstant(Dimension& d, int k) {
    std::string statement(ConstantName(d.ConsText[static_cast<std::size_t>(k)]));
    RemoveEntry(d, k);
    return statement + "=0";
}

std::string RefusalMessage(AddOutcome::Status status) {
    switch (status) {
    case AddOutcome::Status::CannotBeSaved:
        return "A constant cannot contain a comma: a problem file could not read it back.";
    case AddOutcome::Status::TableFull:
        return "No more constants can be added: the list holds at most 101. "
               "Remove one first, or give a constant a name already in the list to replace it.";
    default:
        return {};
    }
}

} // namespace vantrel
