// The terminal's progress line: when it shows, what it says and how it is erased.
#include "cli/ProgressBar.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

TEST(ProgressLine, ShowsThePassTheGridTheEvaluationsAndTheTime) {
    const struct {
        PassProgress pass;
        int columns;
        const char* expected;
    } cases[] = {
        {{2048, 256, 1024}, 80, "[#####...............]  25%  grid 2048  123 evaluations  1.5 s"},
        {{4, 5, 5}, 80, "[####################] 100%  grid 4  123 evaluations  1.5 s"},
        {{0, 0, 0}, 80, "[....................]   0%  123 evaluations  1.5 s"},
        {{8, 1, 4}, 12, "[#####....."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressBar::Line(c.pass, 123, 1.5, c.columns), c.expected);
}

TEST(ProgressBarOnATerminal, ShowsAfterHalfASecondRedrawsInPlaceAndIsErased) {
    std::ostringstream terminal;
    auto now = std::chrono::steady_clock::time_point{};
    ProgressBar bar(terminal, 80, [&] { return now; });
    const PassProgress pass{8, 2, 4};
    const struct {
        std::chrono::milliseconds at;
        bool draws;
    } updates[] = {{499ms, false}, {500ms, true}, {550ms, false}, {600ms, true}};
    for (const auto& u : updates) {
        now = std::chrono::steady_clock::time_point{} + u.at;
        terminal.str("");
        bar.Update(pass, 10);
        EXPECT_EQ(terminal.str().rfind("\r\033[K[##########", 0) == 0, u.draws) << u.at.count();
    }
    terminal.str("");
    bar.Clear();
    bar.Clear();
    EXPECT_EQ(terminal.str(), "\r\033[K");
}

} // namespace
} // namespace vantrel
