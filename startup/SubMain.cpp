#include "startup/SubMain.h"

#include "engine/Integrator.h"
#include "ui/frmAbout.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>

namespace vantrel {

namespace {
// A window manager maps and exposes the splash in its own time, after some round trips; the
// notices count as shown once the window has been painted with them and the drawing has reached
// the display. Input waits meanwhile, and a display that never exposes the window does not hold
// up the start for more than a few seconds.
void ShowUntilPainted(frmAbout& splash) {
    const QDeadlineTimer deadline(3000);
    while (!splash.Painted() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!splash.Painted()) QThread::msleep(5);
    }
    QGuiApplication::sync();
}

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
    Integrator::StartThreads(0); // while the splash shows: the first computation finds them

    auto* splash = new frmAbout;
    splash->show();
    splash->PrintNotices();
    ShowUntilPainted(*splash);
    WaitOnSplash(clock);
    splash->close();

    auto window = std::make_unique<frmVantrel>(dim);
    window->SetRestoreDecimalSeparator([&guard] { guard.RestoreDecimalSeparator(); });
    window->show();
    return window;
}

} // namespace vantrel
