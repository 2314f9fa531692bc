// The start-up of the program: the decimal-separator check, the splash, then the main window.
#pragma once

#include "engine/Dimension.h"
#include "startup/Clock.h"
#include "startup/DecimalPoint.h"
#include "ui/frmVantrel.h"

#include <memory>

namespace vantrel {

// Returns the main window, shown, or null when the user declined the decimal point; no window
// has then been opened. guard must outlive the window, which restores the separator through it
// when it closes.
std::unique_ptr<frmVantrel> Main(Dimension& dim, DecimalPoint& guard, Clock& clock);

} // namespace vantrel
