// The progress window of a long computation, timed by a fake clock: when it shows, what it
// shows, its Cancel, and the main window blocked meanwhile.
#include "EntryFixture.h"
#include "ui/ProgressWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <chrono>

using namespace vantrel;
using namespace vantrel::test;
using namespace std::chrono_literals;

namespace {

ProgressWindow* ShownProgress() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "frmProgress" && widget->isVisible())
            return qobject_cast<ProgressWindow*>(widget);
    return nullptr;
}

bool AnyProgressWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "frmProgress") return true;
    return false;
}

// A problem whose computation runs for minutes: at least 2^30 subintervals at the outer level.
constexpr const char* Endless = "1073741824";

struct ComputingWindow : EntryWindow {
    // The fake clock moves on by step at every reading.
    std::chrono::steady_clock::time_point now{};
    std::chrono::milliseconds step{0};
    int readings = 0;
    std::chrono::milliseconds firstSeenAt{-1}; // fake time of the first reading with the window up
    // Run from the event loop while the progress window shows, with the evaluations it shows.
    std::function<void(ProgressWindow&)> whileShown = [](ProgressWindow&) {};
    std::vector<uint64_t> shownCounts;
    bool eventsDuringComputation = false;
    bool stuck = false; // the computation had to be stopped from outside the window's controls

    ComputingWindow(const QString& order, const QString& names, const QString& integrand) {
        EnterProblem(order, names);
        Tab();
        Type(integrand);
        for (int L = 0; L < order.toInt(); ++L) {
            w.txtUL[L]->setText("1");
            w.txtLL[L]->setText("0");
        }
        w.SetClock([this] {
            const auto t = now;
            ++readings;
            if (firstSeenAt < 0ms && ShownProgress())
                firstSeenAt =
                    std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch());
            now += step;
            return t;
        });
    }

    void Integrate() {
        QTimer ticks;
        ticks.setInterval(0);
        QObject::connect(&ticks, &QTimer::timeout, [this] {
            if (QApplication::overrideCursor()) eventsDuringComputation = true;
            if (ProgressWindow* progress = ShownProgress()) {
                shownCounts.push_back(progress->lblEvaluations->text().toULongLong());
                whileShown(*progress);
                if (shownCounts.size() > 1000 && !progress->Cancelled()) {
                    stuck = true;
                    progress->reject();
                }
            }
        });
        ticks.start();
        Click(w.cmdIntegrate);
    }
    QString Result() const { return w.lblIntegral->text(); }
    void ExpectCancelled() {
        QVERIFY(!stuck);
        QCOMPARE(Result(), "");
        QVERIFY(dim.Computed);
        QCOMPARE(w.ierr, 18);
        QVERIFY(reporter.shown.empty());
        QVERIFY(!QApplication::overrideCursor());
        ExpectClosed();
    }
    // The progress window is gone and the keyboard back in the main window, where it was.
    void ExpectClosed() {
        QVERIFY(!AnyProgressWindow());
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(Focus(), w.cmdIntegrate);
    }
};

} // namespace

class ProgressTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowShowsTimeAndCount_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<quint64>("evaluations");
        QTest::addColumn<QString>("time");
        QTest::newRow("start") << 0 << quint64(0) << "0:00";
        QTest::newRow("seconds") << 59 << quint64(12345) << "0:59";
        QTest::newRow("minutes") << 605 << quint64(4294967296) << "10:05";
        QTest::newRow("hours") << 3725 << quint64(18446744073709551615u) << "1:02:05";
    }
    void theWindowShowsTimeAndCount() {
        QFETCH(int, seconds);
        QFETCH(quint64, evaluations);
        QFETCH(QString, time);
        ProgressWindow progress;
        progress.ShowProgress(std::chrono::seconds(seconds) + 999ms, evaluations);
        QCOMPARE(progress.lblElapsed->text(), time);
        QCOMPARE(progress.lblEvaluations->text(), QString::number(evaluations));
    }
    void aComputationUnderHalfASecondShowsNoWindow() {
        // Real seconds of computing, but the clock says no time passes.
        ComputingWindow e("1", "x", "x*x");
        e.w.txtSubintervals[0]->setText("4194304");
        e.Integrate();
        QVERIFY(qAbs(e.Result().toDouble() - 1.0 / 3) < 1e-9);
        QVERIFY(e.readings > 2); // polled, and the clock read at each poll
        QCOMPARE(e.firstSeenAt, -1ms);
        QVERIFY(!e.eventsDuringComputation);
        QVERIFY(e.reporter.shown.empty());
        QVERIFY(!AnyProgressWindow());
    }
    void theWindowShowsAfterHalfASecondAndClosesAtTheEnd() {
        ComputingWindow e("1", "x", "x*x");
        e.w.txtSubintervals[0]->setText("4194304");
        e.step = 100ms;
        std::vector<QString> elapsed;
        e.whileShown = [&](ProgressWindow& progress) {
            QCOMPARE(QApplication::activeModalWidget(), &progress);
            QCOMPARE(progress.windowTitle(), "Vantrel Integration");
            QCOMPARE(progress.parentWidget(), e.w.window());
            elapsed.push_back(progress.lblElapsed->text());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        };
        e.Integrate();
        // Readings at 0 (the start), 100, ... 500, which opens the window; the next one sees it.
        QCOMPARE(e.firstSeenAt, 600ms);
        QVERIFY(e.eventsDuringComputation);
        QVERIFY(e.shownCounts.size() > 2);
        QVERIFY(std::is_sorted(e.shownCounts.begin(), e.shownCounts.end()));
        QVERIFY(e.shownCounts.front() > 0);
        QVERIFY(e.shownCounts.back() > e.shownCounts.front());
        QVERIFY(e.shownCounts.back() <= 4194304 + 2);
        QCOMPARE(elapsed.front(), "0:00");
        QVERIFY(qAbs(e.Result().toDouble() - 1.0 / 3) <
                1e-9); // the computation ran to its end as always
        QVERIFY(e.dim.Computed);
        QVERIFY(e.reporter.shown.empty());
        QVERIFY(!QApplication::overrideCursor());
        e.ExpectClosed();
    }
    void cancelEndsTheComputationLikeAFailure_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("names");
        QTest::addColumn<bool>("byEsc");
        QTest::newRow("click, one level") << "1"
                                          << "x" << false;
        QTest::newRow("Esc, one level") << "1"
                                        << "x" << true;
        QTest::newRow("click, two levels on all cores") << "2"
                                                        << "y,x" << false;
        QTest::newRow("Esc, three levels") << "3"
                                           << "z,y,x" << true;
    }
    void cancelEndsTheComputationLikeAFailure() {
        QFETCH(QString, order);
        QFETCH(QString, names);
        QFETCH(bool, byEsc);
        ComputingWindow e(order, names, "x+1");
        const int outer = order.toInt() - 1;
        e.w.txtSubintervals[outer]->setText(Endless);
        e.w.lblIntegral->setText("stale");
        e.step = 250ms;
        e.whileShown = [&](ProgressWindow& progress) {
            if (e.shownCounts.size() < 3) return; // let the count grow first
            if (byEsc)
                QTest::keyClick(progress.isActiveWindow() ? QApplication::focusWidget() : &progress,
                                Qt::Key_Escape);
            else
                QTest::mouseClick(progress.cmdCancel, Qt::LeftButton);
        };
        e.Integrate();
        e.ExpectCancelled();
        QVERIFY(e.shownCounts.size() >= 3);
        QVERIFY(e.shownCounts[2] > e.shownCounts[0]);

        // Nothing of the cancelled computation stays in the way of the next one.
        e.w.txtSubintervals[outer]->setText("4");
        e.step = 0ms;
        e.Integrate();
        QVERIFY(!e.Result().isEmpty());
        QCOMPARE(e.w.ierr, 0);
    }
    void theMainWindowTakesNoInputWhileTheWindowShows() {
        ComputingWindow e("1", "x", "x+1");
        e.w.txtSubintervals[0]->setText(Endless);
        e.step = 250ms;
        int presses = 0;
        QObject::connect(e.w.cmdIntegrate, &QPushButton::pressed, [&] { ++presses; });
        QWindow* main = e.w.windowHandle();
        const auto centre = [&](QWidget* widget) {
            return widget->mapTo(&e.w, widget->rect().center());
        };
        e.whileShown = [&](ProgressWindow& progress) {
            QTest::mouseClick(main, Qt::LeftButton, {}, centre(e.w.cmdIntegrate));
            QTest::mouseClick(main, Qt::LeftButton, {}, centre(e.w.txtEquation));
            QTest::keyClick(main, 'z');
            QTest::keyClick(main, Qt::Key_Tab);
            if (e.shownCounts.size() >= 3) QTest::mouseClick(progress.cmdCancel, Qt::LeftButton);
        };
        e.Integrate();
        QCOMPARE(presses, 1); // the one that started the computation
        QCOMPARE(e.w.txtEquation->text(), "x+1");
        e.ExpectCancelled();
    }
    void aFailureReportsOverTheProgressWindowAsBefore() {
        struct ProbeReporter : Reporter {
            std::vector<bool> progressShown;
            MsgResult Show(const Message&) override {
                progressShown.push_back(ShownProgress() != nullptr);
                return MsgResult::OK;
            }
        } probe;
        // Divides by zero at 0.5 + 2^-21 (as its variable reaches the engine, to 15 digits),
        // first a grid point at 2^21 subintervals.
        ComputingWindow e("1", "x", "1/(x-0.500000476837158)");
        e.w.txtSubintervals[0]->setText(Endless);
        e.w.SetReporter(probe);
        e.step = 500ms; // the window opens at the first poll
        e.Integrate();
        QCOMPARE(probe.progressShown, std::vector<bool>{true});
        QCOMPARE(e.w.ierr, 11);
        QCOMPARE(e.Result(), "");
        QVERIFY(e.dim.Computed);
        QCOMPARE(e.dim.NSub[0], 1 << 20); // the refinement to 2^21 subintervals was under way
        QVERIFY(!AnyProgressWindow());
    }
    void closingTheProgressWindowCancelsToo() {
        ComputingWindow e("1", "x", "x+1");
        e.w.txtSubintervals[0]->setText(Endless);
        e.step = 250ms;
        e.whileShown = [](ProgressWindow& progress) { progress.close(); };
        e.Integrate();
        e.ExpectCancelled();
    }
};

QTEST_MAIN(ProgressTest)
#include "progress_test.moc"
