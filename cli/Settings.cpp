#include "cli/Settings.h"

#include "io/ConstantTable.h"

#include <algorithm>

namespace vantrel {

bool IsSetting(const std::string& setting) {
    return setting.find('=') != std::string::npos && IsConstantName(ConstantName(setting));
}

void ApplySetting(std::vector<std::string>& constants, const std::string& setting) {
    const auto same = std::find_if(constants.begin(), constants.end(), [&](const std::string& c) {
        return ConstantName(c) == ConstantName(setting);
    });
    if (same == constants.end())
        constants.push_back(setting);
    else
        *same = setting;
}

} // namespace vantrel
