// The check-and-veto convention on the main window: a refused value keeps the focus whichever
// way the user tries to leave; an accepted one lets it go and the leave handler runs once,
// afterwards. Menus and closing the window are no leave. Then the focus order.
#include "WindowFixture.h"

#include "ui/FocusGuard.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QWindow>

using namespace vantrel;
using namespace vantrel::test;

namespace {
struct Probe {
    bool refuse = false;
    int validated = 0;
    int lost = 0;
    int got = 0;
    bool goneWhenLost = false;
};

// A window whose entry fields have no handlers but the probe's, and whose buttons do nothing
// but count their clicks.
struct GuardedWindow : ShownWindow {
    int clicks = 0;

    GuardedWindow() {
        for (QWidget* field : window->focusGuard().Fields())
            window->focusGuard().Watch(*field, {});
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
            QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        }
    }

    void Attach(QWidget& field, Probe& probe) {
        window->focusGuard().Watch(field, {.Validate =
                                               [&probe](bool& Cancel) {
                                                   ++probe.validated;
                                                   Cancel = probe.refuse;
                                               },
                                           .LostFocus =
                                               [&probe, &field] {
                                                   ++probe.lost;
                                                   probe.goneWhenLost =
                                                       QApplication::focusWidget() != &field;
                                               },
                                           .GotFocus = [&probe] { ++probe.got; }});
    }

    // A click as the windowing system delivers it, through the window.
    void Click(QWidget& target) {
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                          target.mapTo(window.get(), target.rect().center()));
    }
};

enum class Leave { Tab, ShiftTab, ClickField, ClickButton, DirectClick, Mnemonic, Program };
} // namespace

Q_DECLARE_METATYPE(Leave)

class FocusTest : public QObject {
    Q_OBJECT
private slots:
    void leavingIsCheckedFirst_data();
    void leavingIsCheckedFirst();
    void openingAMenuIsNoLeave();
    void closingIsNoLeave();
    void gotFocusRunsOnArrivalOnly();
    void focusOrder();
};

void FocusTest::leavingIsCheckedFirst_data() {
    QTest::addColumn<Leave>("leave");
    QTest::addColumn<bool>("refuse");
    for (bool refuse : {true, false}) {
        const char* verdict = refuse ? "refused" : "accepted";
        QTest::addRow("Tab %s", verdict) << Leave::Tab << refuse;
        QTest::addRow("Shift+Tab %s", verdict) << Leave::ShiftTab << refuse;
        QTest::addRow("click on a field %s", verdict) << Leave::ClickField << refuse;
        QTest::addRow("click on a button %s", verdict) << Leave::ClickButton << refuse;
        QTest::addRow("click sent to the button %s", verdict) << Leave::DirectClick << refuse;
        QTest::addRow("mnemonic %s", verdict) << Leave::Mnemonic << refuse;
        QTest::addRow("set by the program %s", verdict) << Leave::Program << refuse;
    }
}

void FocusTest::leavingIsCheckedFirst() {
    QFETCH(Leave, leave);
    QFETCH(bool, refuse);
    GuardedWindow w;
    frmVantrel& f = *w.window;
    Probe probe;
    probe.refuse = refuse;
    w.Attach(*f.txtVarNams, probe);
    f.txtVarNams->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), f.txtVarNams);
    probe.got = 0;

    QWidget* destination = nullptr;
    switch (leave) {
    case Leave::Tab:
        QTest::keyClick(f.txtVarNams, Qt::Key_Tab);
        destination = f.txtError;
        break;
    case Leave::ShiftTab:
        QTest::keyClick(f.txtVarNams, Qt::Key_Backtab, Qt::ShiftModifier);
        destination = f.txtOrder;
        break;
    case Leave::ClickField:
        w.Click(*f.txtEquation);
        destination = f.txtEquation;
        break;
    case Leave::ClickButton:
        w.Click(*f.cmdAddCons);
        destination = f.cmdAddCons;
        break;
    case Leave::DirectClick:
        QTest::mouseClick(f.cmdAddCons, Qt::LeftButton);
        destination = f.cmdAddCons;
        break;
    case Leave::Mnemonic:
        QTest::keyClick(f.txtVarNams, Qt::Key_I, Qt::AltModifier);
        destination = f.cmdIntegrate;
        break;
    case Leave::Program:
        f.txtEquation->setFocus(Qt::OtherFocusReason);
        destination = f.txtEquation;
        break;
    }
    QCoreApplication::processEvents();

    QCOMPARE(probe.validated, 1);
    const bool pressesButton =
        leave == Leave::ClickButton || leave == Leave::DirectClick || leave == Leave::Mnemonic;
    if (refuse) {
        QCOMPARE(QApplication::focusWidget(), f.txtVarNams);
        QCOMPARE(probe.lost, 0);
        QCOMPARE(probe.got, 0); // the focus never left
        QCOMPARE(w.clicks, 0);
    } else {
        QCOMPARE(QApplication::focusWidget(), destination);
        QCOMPARE(probe.lost, 1);
        QVERIFY(probe.goneWhenLost);
        QTRY_COMPARE(w.clicks, pressesButton ? 1 : 0);
    }
}

void FocusTest::openingAMenuIsNoLeave() {
    GuardedWindow w;
    frmVantrel& f = *w.window;
    Probe probe;
    probe.refuse = true;
    w.Attach(*f.txtOrder, probe);
    f.txtOrder->setFocus(Qt::TabFocusReason);

    QMenuBar* bar = f.menuBar();
    const QPoint file = bar->actionGeometry(f.mnuFile->menuAction()).center();
    QTest::mouseClick(f.windowHandle(), Qt::LeftButton, {}, bar->mapTo(&f, file));
    QTRY_VERIFY(f.mnuFile->isVisible());
    QTest::keyClick(f.mnuFile, Qt::Key_Escape);
    QTRY_VERIFY(!f.mnuFile->isVisible());
    if (QApplication::focusWidget() == bar) // the bar keeps the keyboard until a second Escape
        QTest::keyClick(bar, Qt::Key_Escape);
    QTRY_COMPARE(QApplication::focusWidget(), f.txtOrder);

    f.mnuHelp->trigger();
    QCOMPARE(w.help.opened.size(), 1u);
    QCOMPARE(probe.validated, 0);
    QCOMPARE(probe.lost, 0);
    QCOMPARE(QApplication::focusWidget(), f.txtOrder);
}

void FocusTest::closingIsNoLeave() {
    GuardedWindow w;
    frmVantrel& f = *w.window;
    Probe probe;
    probe.refuse = true;
    w.Attach(*f.txtOrder, probe);
    f.txtOrder->setFocus(Qt::TabFocusReason);
    f.close();
    QCoreApplication::processEvents();
    QCOMPARE(probe.validated, 0);
    QCOMPARE(probe.lost, 0);
    QCOMPARE(w.ended, 1);
}

void FocusTest::gotFocusRunsOnArrivalOnly() {
    GuardedWindow w;
    frmVantrel& f = *w.window;
    Probe order, names;
    w.Attach(*f.txtOrder, order);
    w.Attach(*f.txtVarNams, names);
    f.txtOrder->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.txtOrder, Qt::Key_Tab);
    QCOMPARE(names.got, 1);
    QTest::keyClicks(f.txtVarNams, "abc"); // typing inside the field is no arrival
    QCOMPARE(names.got, 1);
    QCOMPARE(names.validated, 0);
    QTest::keyClick(f.txtVarNams, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(order.got, 1);
    QCOMPARE(names.lost, 1);
}

void FocusTest::focusOrder() {
    for (bool limitsShown : {false, true}) {
        GuardedWindow w;
        frmVantrel& f = *w.window;
        QStringList expected{"txtOrder", "txtVarNams", "txtError", "txtEquation", "cboConstants"};
        if (limitsShown) {
            f.FrmMain->show();
            for (int L = 0; L < 3; ++L) {
                for (QWidget* field : {f.txtUL[L], f.txtLL[L], f.txtSubintervals[L]}) {
                    field->show();
                    expected << field->objectName();
                }
            }
            f.cmdPrevLim->show();
            f.cmdNextLim->show();
        }
        expected << "cmdIntegrate"
                 << "cmdRemCons"
                 << "cmdAddCons";
        if (limitsShown)
            expected << "cmdPrevLim"
                     << "cmdNextLim";

        f.txtOrder->setFocus(Qt::TabFocusReason);
        QStringList visited;
        for (int step = 0; step <= expected.size(); ++step) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            if (qobject_cast<QComboBox*>(focus->parentWidget())) focus = focus->parentWidget();
            visited << focus->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected + QStringList{"txtOrder"});
    }
}

QTEST_MAIN(FocusTest)
#include "focus_test.moc"
