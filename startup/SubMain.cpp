#include "startup/SubMain.h"

#include "ui/frmAbout.h"

#include <QCoreApplication>

namespace vantrel {

namespace {
// Keeps the splash for more than 2 and at most 3 seconds: until the seconds reading has moved
// on by 3 from the noted one. No window event is handled meanwhile.
void WaitOnSplash(Clock& clock) {
    const int64_t noted = clock.SecondsNow();
    while (clock.SecondsNow() - noted <= 2)
        clock.Nap();
}
} // namespace

std::unique_ptr<frmVantrel> Main(Dimension& dim, DecimalPoint& guard, Clock& clock) {
    if (!guard.CheckDecimalPoint()) return nullptr;

    auto* splash = new frmAbout;
    splash->show();
    splash->PrintNotices();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    WaitOnSplash(clock);
    splash->close();

    auto window = std::make_unique<frmVantrel>(dim);
    window->SetRestoreDecimalSeparator([&guard] { guard.RestoreDecimalSeparator(); });
    window->show();
    return window;
}

} // namespace vantrel
