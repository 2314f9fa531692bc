// The rule for the names of user constants.
#include "io/ConstantTable.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(ConstantNames, FollowTheRule) {
    const struct {
        const char* name;
        bool valid;
    } cases[] = {
        {"a", true},   {"Ab9", true}, {"2a", false},       {"a_b", false},
        {"a ", false}, {"", false},   {"\xc3\xa9", false}, // a non-ASCII letter
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsConstantName(c.name), c.valid) << c.name;
}

TEST(ConstantNames, EndAtTheFirstEquals) {
    EXPECT_EQ(ConstantName("b=a==1"), "b");
    EXPECT_EQ(ConstantName("c="), "c");
}

} // namespace
} // namespace vantrel
