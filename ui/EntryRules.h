// What the order and variable-names fields accept, and the captions the accepted names give.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The order a text stands for: its leading number, above 0 and at most 10, rounded half to
// even; nothing when the text is out of range or rounds to 0.
std::optional<int32_t> AcceptedOrder(std::string_view text);

// The text cut at every comma, pieces exactly as typed; an empty text gives no piece.
std::vector<std::string> SplitNames(std::string_view text);
// Exactly `order` pieces, none empty.
bool NamesFitOrder(const std::vector<std::string>& names, int32_t order);

// "f(" + names joined by "," + ")".
std::string FunctionCaption(const std::vector<std::string>& names);
// What level L's limits may be functions of: the names of the outer levels, or "Constants"
// for the outermost level.
std::string FunctionOfCaption(const std::vector<std::string>& names, int32_t level);

} // namespace vantrel
