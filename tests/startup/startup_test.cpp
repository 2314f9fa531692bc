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

bool AnyWindowVisible() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible()) return true;
    return false;
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

void CloseAllWindows() {
    for (QWidget* window : QApplication::topLevelWidgets())
        window->close();
    QCoreApplication::processEvents();
}
} // namespace

Q_DECLARE_METATYPE(vantrel::MsgResult)

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void splashStaysMoreThanTwoAtMostThreeSeconds_data();
    void splashStaysMoreThanTwoAtMostThreeSeconds();
    void decliningEndsBeforeAnyWindow_data();
    void decliningEndsBeforeAnyWindow();
    void closingTheWindowRestoresTheSeparator_data();
    void closingTheWindowRestoresTheSeparator();
    void messageBoxesHaveTheirIconButtonsAndTitle();
    void cleanup() { CloseAllWindows(); }
};

void StartupTest::splashStaysMoreThanTwoAtMostThreeSeconds_data() {
    QTest::addColumn<int>("startMs");
    for (int start : {0, 1, 500, 993, 999, 61999})
        QTest::addRow("start at %d ms", start) << start;
}

void StartupTest::splashStaysMoreThanTwoAtMostThreeSeconds() {
    QFETCH(int, startMs);
    Dimension dim;
    FakeLocale locale(".");
    AnsweringReporter reporter(MsgResult::Yes);
    DecimalPoint guard(locale, reporter);
    FakeClock clock(startMs);

    auto window = Main(dim, guard, clock);
    QVERIFY(window);
    const int64_t shown = clock.lastReading - clock.firstReading;
    QVERIFY2(shown > 2000 && shown <= 3000, qPrintable(QString::number(shown)));
    QVERIFY(clock.splashThroughout); // the clicks during the wait did not close it
    QCOMPARE(clock.linesOnSplash, 10);
    QVERIFY(window->isVisible());
    QVERIFY(!VisibleSplash());
    QVERIFY(reporter.asked.empty());
}

void StartupTest::decliningEndsBeforeAnyWindow_data() {
    QTest::addColumn<MsgResult>("answer");
    QTest::newRow("No") << MsgResult::No;
    QTest::newRow("Cancel") << MsgResult::Cancel;
}

void StartupTest::decliningEndsBeforeAnyWindow() {
    QFETCH(MsgResult, answer);
    Dimension dim;
    FakeLocale locale(",");
    AnsweringReporter reporter(answer);
    DecimalPoint guard(locale, reporter);
    FakeClock clock(0);
    QVERIFY(!Main(dim, guard, clock));
    QCOMPARE(reporter.asked.size(), 1u);
    QCOMPARE(clock.readings, 0); // no splash
    QVERIFY(!AnyWindowVisible());
    QVERIFY(locale.writes.empty());
    QCOMPARE(locale.separator, std::string(","));
}

void StartupTest::closingTheWindowRestoresTheSeparator_data() {
    QTest::addColumn<QString>("start");
    QTest::newRow("comma") << ",";
    QTest::newRow("point") << ".";
}

void StartupTest::closingTheWindowRestoresTheSeparator() {
    QFETCH(QString, start);
    Dimension dim;
    FakeLocale locale(start.toStdString());
    AnsweringReporter reporter(MsgResult::Yes);
    DecimalPoint guard(locale, reporter);
    FakeClock clock(0);
    auto window = Main(dim, guard, clock);
    QVERIFY(window);
    QCOMPARE(locale.separator, std::string("."));
    window->SetEndProgram([] {});
    window->close();
    QCOMPARE(locale.separator, start.toStdString());
    QCOMPARE(locale.writes.back(), start.toStdString());
}

void StartupTest::messageBoxesHaveTheirIconButtonsAndTitle() {
    struct Seen {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title, text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    } seen;
    auto answer = [&seen](QMessageBox::StandardButton press) {
        QTimer::singleShot(0, [&seen, press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seen = {box->icon(), box->windowTitle(), box->text(), box->standardButtons(),
                    box->defaultButton() ? box->standardButton(box->defaultButton())
                                         : QMessageBox::NoButton};
            box->button(press)->click();
        });
    };
    MessageBoxReporter reporter;

    answer(QMessageBox::No);
    QCOMPARE(reporter.Show(DecimalPoint::Question()), MsgResult::No);
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.title, QString("Decimal Comma Warning!"));
    QCOMPARE(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(seen.defaultButton, QMessageBox::Yes);
    QCOMPARE(seen.text.count('\n'), 7);
    QVERIFY(!seen.text.contains('\r'));

    Message untitled;
    untitled.text = "Division by zero";
    untitled.icon = MsgIcon::Exclamation;
    answer(QMessageBox::Ok);
    QCOMPARE(reporter.Show(untitled), MsgResult::OK);
    QCOMPARE(seen.title, QString("Vantrel Integration"));
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
