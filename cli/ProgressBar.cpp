#include "cli/ProgressBar.h"

#include <algorithm>
#include <cstdio>

namespace vantrel {

namespace {

constexpr int BarWidth = 20;
constexpr const char* EraseLine = "\r\033[K";

} // namespace

ProgressBar::ProgressBar(std::ostream& terminal, int columns, Clock now)
    : terminal_(terminal), columns_(columns), now_(std::move(now)), start_(now_()) {}

std::string ProgressBar::Line(const PassProgress& outerPass, uint64_t evaluations, double seconds,
                              int columns) {
    const int percent = outerPass.points > 0
                            ? static_cast<int>(100 * int64_t{outerPass.done} / outerPass.points)
                            : 0;
    const int filled = percent * BarWidth / 100;
    std::string line = "[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(BarWidth - filled), '.');
    line += ']';
    char figures[128];
    std::snprintf(figures, sizeof figures, " %3d%%", percent);
    line += figures;
    if (outerPass.subintervals > 0) line += "  grid " + std::to_string(outerPass.subintervals);
    std::snprintf(figures, sizeof figures, "  %llu evaluations  %.1f s",
                  static_cast<unsigned long long>(evaluations), seconds);
    line += figures;
    line.resize(std::min(line.size(), static_cast<std::size_t>(std::max(columns - 1, 0))));
    return line;
}

void ProgressBar::Update(const PassProgress& outerPass, uint64_t evaluations) {
    const auto now = now_();
    if (now - start_ < ShowAfter || (showing_ && now - drawn_ < RedrawEvery)) return;
    drawn_ = now;
    showing_ = true;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    terminal_ << EraseLine << Line(outerPass, evaluations, seconds, columns_) << std::flush;
}

void ProgressBar::Clear() {
    if (!showing_) return;
    terminal_ << EraseLine << std::flush;
    showing_ = false;
}

} // namespace vantrel
