// Constants given on the command line, laid over the problem's list.
#include "cli/Settings.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(Settings, ReplaceWhereTheNameStandsOrAppend) {
    const std::vector<std::string> problem = {"a=2", "b=a+1", "A1=0"};
    const struct {
        const char* setting;
        std::vector<std::string> expected;
    } cases[] = {
        {"a=3", {"a=3", "b=a+1", "A1=0"}},
        {"A1=x=y", {"a=2", "b=a+1", "A1=x=y"}},
        {"A=3", {"a=2", "b=a+1", "A1=0", "A=3"}}, // names compare exactly
        {"c=", {"a=2", "b=a+1", "A1=0", "c="}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> constants = problem;
        ApplySetting(constants, c.setting);
        EXPECT_EQ(constants, c.expected) << c.setting;
    }
}

TEST(Settings, NeedAnEqualsAfterAValidName) {
    for (const char* bad : {"a", "1a=3", "a b=1", "=1", "a_b=2"})
        EXPECT_FALSE(IsSetting(bad)) << bad;
    EXPECT_TRUE(IsSetting("x9=Sin(1)"));
}

} // namespace
} // namespace vantrel
