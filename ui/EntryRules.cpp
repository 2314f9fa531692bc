#include "ui/EntryRules.h"

#include "engine/NumberText.h"

namespace vantrel {

std::optional<int32_t> AcceptedOrder(std::string_view text) {
    const double value = LeadingNumber(text);
    int32_t order = 0;
    if (!(value > 0 && value <= 10) || !RoundToInt32(value, order) || order < 1)
        return std::nullopt;
    return order;
}

std::vector<std::string> SplitNames(std::string_view text) {
    std::vector<std::string> names;
    if (text.empty()) return names;
    for (;;) {
        const auto comma = text.find(',');
        names.emplace_back(text.substr(0, comma));
        if (comma == std::string_view::npos) return names;
        text.remove_prefix(comma + 1);
    }
}

bool NamesFitOrder(const std::vector<std::string>& names, int32_t order) {
    if (order < 1 || names.size() != static_cast<std::size_t>(order)) return false;
    for (const std::string& name : names)
        if (name.empty()) return false;
    return true;
}

std::string FunctionCaption(const std::vector<std::string>& names) {
    std::string caption = "f(";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) caption += ',';
        caption += names[i];
    }
    return caption + ')';
}

std::string FunctionOfCaption(const std::vector<std::string>& names, int32_t level) {
    const auto outer = names.begin() + level + 1;
    if (outer >= names.end()) return "Constants";
    return FunctionCaption({outer, names.end()});
}

} // namespace vantrel
