// The start-up: guard first, the splash kept for more than 2 and at most 3 seconds by the
// clock's seconds reading without handling input, then the main window; closing it restores
// the separator. Also the message boxes of the window.
#include "Fakes.h"

#include "startup/SubMain.h"
#include "ui/MessageBoxReporter.h"
#include "ui/frmAbout.h"

#include <QApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vantrel;
using namespace vantrel::test;

namespace {
frmAbout* VisibleSplash() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* about = qobject_cast<frmAbout*>(window); about && about->isVisible())
            return about;
    return nullptr;
}

// Milliseconds that pass only when the wait naps, one a nap; now and then a click on the splash.
struct FakeClock : Clock {
    int64_t ms;
    int readings = 0;
    int64_t firstReading = -1;
    int64_t lastReading = -1;
    bool splashThroughout = true;
    int linesOnSplash = 0;

    explicit FakeClock(int64_t startMs) : ms(startMs) {}
    int64_t SecondsNow() override {
        ++readings;
        if (firstReading < 0) firstReading = ms;
        lastReading = ms;
        frmAbout* splash = VisibleSplash();
        splashThroughout = splashThroughout && splash;
        if (splash) linesOnSplash = splash->Lines().size();
        return ms / 1000;
    }
    void Nap() override {
        ++ms;
        if (frmAbout* splash = VisibleSplash(); splash && ms % 100 == 0)
            QCoreApplication::postEvent(
                splash, new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    }
};

// Main with the locale starting at the given separator and the user answering as told.
struct Start {
    Dimension dim;
    FakeLocale locale;
    AnsweringReporter reporter;
    DecimalPoint guard{locale, reporter};
    FakeClock clock;
    std::unique_ptr<frmVantrel> window;

    Start(const std::string& separator, MsgResult answer, int64_t startMs = 0)
        : locale(separator), reporter(answer), clock(startMs) {
        window = Main(dim, guard, clock);
    }
};
} // namespace

Q_DECLARE_METATYPE(vantrel::MsgResult)

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        for (QWidget* window : QApplication::topLevelWidgets())
            window->close();
        QCoreApplication::processEvents();
    }

    void splashStaysMoreThanTwoAtMostThreeSeconds_data() {
        QTest::addColumn<int>("startMs");
        for (int start : {0, 1, 500, 993, 999, 61999})
            QTest::addRow("start at %d ms", start) << start;
    }
    void splashStaysMoreThanTwoAtMostThreeSeconds() {
        QFETCH(int, startMs);
        Start s(".", MsgResult::Yes, startMs);
        QVERIFY(s.window);
        const int64_t shown = s.clock.lastReading - s.clock.firstReading;
        QVERIFY2(shown > 2000 && shown <= 3000, qPrintable(QString::number(shown)));
        QVERIFY(s.clock.splashThroughout); // the clicks during the wait did not close it
        QCOMPARE(s.clock.linesOnSplash, 10);
        QVERIFY(s.window->isVisible());
        QVERIFY(!VisibleSplash());
    }

    // Declining ends before any window; accepting runs with the point until the window closes.
    void theGuardDecidesAndClosingRestores_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<MsgResult>("answer");
        QTest::addColumn<bool>("runs");
        QTest::newRow("comma, No") << "," << MsgResult::No << false;
        QTest::newRow("comma, Cancel") << "," << MsgResult::Cancel << false;
        QTest::newRow("comma, Yes") << "," << MsgResult::Yes << true;
        QTest::newRow("point") << "." << MsgResult::No << true;
    }
    void theGuardDecidesAndClosingRestores() {
        QFETCH(QString, start);
        QFETCH(MsgResult, answer);
        QFETCH(bool, runs);
        Start s(start.toStdString(), answer);
        QCOMPARE(s.reporter.asked.size(), start == "," ? 1u : 0u);
        QCOMPARE(bool(s.window), runs);
        if (!runs) {
            QCOMPARE(s.clock.readings, 0); // no splash
            for (QWidget* window : QApplication::topLevelWidgets())
                QVERIFY(!window->isVisible());
            QVERIFY(s.locale.writes.empty());
            return;
        }
        QCOMPARE(s.locale.separator, std::string("."));
        s.window->SetEndProgram([] {});
        s.window->close();
        QCOMPARE(s.locale.separator, start.toStdString());
        QCOMPARE(s.locale.writes.back(), start.toStdString());
    }

    void messageBoxesHaveTheirIconButtonsAndTitle() {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title, text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        auto answer = [&](QMessageBox::StandardButton press) {
            QTimer::singleShot(0, [&, press] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                icon = box->icon();
                title = box->windowTitle();
                text = box->text();
                buttons = box->standardButtons();
                defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                     : QMessageBox::NoButton;
                box->button(press)->click();
            });
        };
        MessageBoxReporter reporter;

        answer(QMessageBox::No);
        QCOMPARE(reporter.Show(DecimalPoint::Question()), MsgResult::No);
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(title, QString("Decimal Comma Warning!"));
        QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(defaultButton, QMessageBox::Yes);
        QCOMPARE(text.count('\n'), 7);
        QVERIFY(!text.contains('\r'));

        answer(QMessageBox::Ok);
        QCOMPARE(
            reporter.Show({.title = "", .text = "Division by zero", .icon = MsgIcon::Exclamation}),
            MsgResult::OK);
        QCOMPARE(title, QString("Vantrel Integration"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
