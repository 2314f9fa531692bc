// The progress of a long computation on a terminal: one line on standard error, shown once the
// computation has run for half a second, redrawn in place and erased when it ends.
#pragma once

#include "engine/OuterPass.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

namespace vantrel {

class ProgressBar {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds ShowAfter{500};
    static constexpr std::chrono::milliseconds RedrawEvery{100};

    // columns is the terminal's width; the line never reaches the last column.
    ProgressBar(std::ostream& terminal, int columns, Clock now = std::chrono::steady_clock::now);
    ~ProgressBar() { Clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Update(const PassProgress& outerPass, uint64_t evaluations);
    // Erases the line if it shows; it shows again at the next update.
    void Clear();

    // "[#####...............]  25%  grid 2048  1234567 evaluations  3.2 s", cut to fit.
    static std::string Line(const PassProgress& outerPass, uint64_t evaluations, double seconds,
                            int columns);

private:
    std::ostream& terminal_;
    int columns_;
    Clock now_;
    std::chrono::steady_clock::time_point start_, drawn_;
    bool showing_ = false;
};

} // namespace vantrel
