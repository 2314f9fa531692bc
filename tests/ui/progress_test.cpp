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

// The progress window that shows, or with hidden as well, the one that exists at all.
ProgressWindow* ProgressOnScreen(bool hiddenToo = false) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "frmProgress" && (hiddenToo || widget->isVisible()))
            return qobject_cast<ProgressWindow*>(widget);
    return nullptr;
}
bool AnyProgressWindow() {
    return ProgressOnScreen(true);
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

    // Levels z, y, x from 0 to 1, and the outer level's minimum number of subintervals.
    ComputingWindow(int order, const QString& integrand, const QString& outerSubintervals) {
        EnterProblem(QString::number(order), QString("z,y,x").right(order * 2 - 1));
        Tab();
        Type(integrand);
        for (int L = 0; L < order; ++L) {
            w.txtUL[L]->setText("1");
            w.txtLL[L]->setText("0");
        }
        w.txtSubintervals[order - 1]->setText(outerSubintervals);
        w.SetClock([this] {
            const auto t = now;
            ++readings;
            if (firstSeenAt < 0ms && ProgressOnScreen())
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
            if (ProgressWindow* progress = ProgressOnScreen()) {
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
        QCOMPARE(w.ierr, 18);
        ExpectEnded();
    }
    // Computed set, nothing reported, the progress window gone and the keyboard back in the
    // main window, where it was.
    void ExpectEnded() {
        QVERIFY(dim.Computed);
        QVERIFY(reporter.shown.empty());
        QVERIFY(!QApplication::overrideCursor());
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

    // Seconds of real computing either way; only the fake clock decides whether the window shows.
    void theWindowShowsAfterHalfASecondOnly_data() {
        QTest::addColumn<int>("stepMs");
        QTest::addColumn<int>("firstSeenMs");
        QTest::newRow("no time passes: no window") << 0 << -1;
        // Readings at 0 (the start), 100, ... 500, which opens the window; the next one sees it.
        QTest::newRow("100 ms a reading: shown from 500 ms") << 100 << 600;
    }
    void theWindowShowsAfterHalfASecondOnly() {
        QFETCH(int, stepMs);
        QFETCH(int, firstSeenMs);
        ComputingWindow e(1, "x*x", "4194304");
        e.step = std::chrono::milliseconds(stepMs);
        std::vector<QString> elapsed;
        e.whileShown = [&](ProgressWindow& progress) {
            QCOMPARE(QApplication::activeModalWidget(), &progress);
            QCOMPARE(progress.windowTitle(), "Vantrel Integration");
            QCOMPARE(progress.parentWidget(), e.w.window());
            elapsed.push_back(progress.lblElapsed->text());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        };
        e.Integrate();
        QVERIFY(e.readings > 2); // polled, and the clock read at each poll
        QCOMPARE(e.firstSeenAt, std::chrono::milliseconds(firstSeenMs));
        QCOMPARE(e.eventsDuringComputation, firstSeenMs > 0);
        if (firstSeenMs > 0) {
            QVERIFY(e.shownCounts.size() > 2);
            QVERIFY(std::is_sorted(e.shownCounts.begin(), e.shownCounts.end()));
            QVERIFY(e.shownCounts.front() > 0 && e.shownCounts.back() > e.shownCounts.front());
            QVERIFY(e.shownCounts.back() <= 4194304 + 2);
            QCOMPARE(elapsed.front(), "0:00");
        }
        // The computation ran to its end as always.
        QVERIFY(qAbs(e.Result().toDouble() - 1.0 / 3) < 1e-9);
        e.ExpectEnded();
    }

    void cancelEndsTheComputationLikeAFailure_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("way");
        QTest::newRow("click, one level") << 1 << QString("click");
        QTest::newRow("Esc, one level") << 1 << QString("Esc");
        QTest::newRow("close box, one level") << 1 << QString("close");
        QTest::newRow("click, two levels on all cores") << 2 << QString("click");
        QTest::newRow("Esc, three levels") << 3 << QString("Esc");
    }
    void cancelEndsTheComputationLikeAFailure() {
        QFETCH(int, order);
        QFETCH(QString, way);
        ComputingWindow e(order, "x+1", Endless);
        e.step = 250ms;
        e.w.lblIntegral->setText("stale");
        e.whileShown = [&](ProgressWindow& progress) {
            if (e.shownCounts.size() < 3) return; // let the count grow first
            if (way == "Esc")
                QTest::keyClick(progress.isActiveWindow() ? QApplication::focusWidget() : &progress,
                                Qt::Key_Escape);
            else if (way == "click")
                QTest::mouseClick(progress.cmdCancel, Qt::LeftButton);
            else
                progress.close();
        };
        e.Integrate();
        e.ExpectCancelled();
        QVERIFY(e.shownCounts.size() >= 3);
        QVERIFY(e.shownCounts[2] > e.shownCounts[0]);

        // Nothing of the cancelled computation stays in the way of the next one.
        e.w.txtSubintervals[order - 1]->setText("4");
        e.step = 0ms;
        e.Integrate();
        QVERIFY(!e.Result().isEmpty());
        QCOMPARE(e.w.ierr, 0);
    }

    void theMainWindowTakesNoInputWhileTheWindowShows() {
        ComputingWindow e(1, "x+1", Endless);
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
                progressShown.push_back(ProgressOnScreen() != nullptr);
                return MsgResult::OK;
            }
        } probe;
        // Divides by zero at 0.5 + 2^-21 (as its variable reaches the engine, to 15 digits),
        // first a grid point at 2^21 subintervals.
        ComputingWindow e(1, "1/(x-0.500000476837158)", Endless);
        e.step = 500ms; // the window opens at the first poll
        e.w.SetReporter(probe);
        e.Integrate();
        QCOMPARE(probe.progressShown, std::vector<bool>{true});
        QCOMPARE(e.w.ierr, 11);
        QCOMPARE(e.Result(), "");
        QVERIFY(e.dim.Computed);
        QCOMPARE(e.dim.NSub[0], 1 << 20); // the refinement to 2^21 subintervals was under way
        QVERIFY(!AnyProgressWindow());
    }
};

QTEST_MAIN(ProgressTest)
#include "progress_test.moc"
