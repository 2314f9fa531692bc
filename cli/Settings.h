// Constants given on the command line as NAME=VALUE, laid over the problem's own.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

// An "=" after a name that follows the constants' name rule.
bool IsSetting(const std::string& setting);

// Replaces the constant of exactly the same name where it stands in the list, or appends the
// setting when no constant has that name.
void ApplySetting(std::vector<std::string>& constants, const std::string& setting);

} // namespace vantrel
