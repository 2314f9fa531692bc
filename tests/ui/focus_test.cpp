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
    frmVantrel& f = *window;
    int clicks = 0;

    GuardedWindow() {
        for (QWidget* field : f.focusGuard().Fields())
            f.focusGuard().Watch(*field, {});
        for (QPushButton* button : f.findChildren<QPushButton*>()) {
            QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
            QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        }
    }

    // The probe watches the field, which then takes the focus.
    void Attach(QWidget& field, Probe& probe) {
        f.focusGuard().Watch(field, {.Validate =
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
        field.setFocus(Qt::TabFocusReason);
    }

    // A click as the windowing system delivers it, through the window.
    void Click(QWidget& target) {
        QTest::mouseClick(f.windowHandle(), Qt::LeftButton, {},
                          target.mapTo(&f, target.rect().center()));
    }
};

// A way to leave the names field: where the focus should go, whether it presses a button.
struct Leave {
    const char* name;
    const char* to;
    bool presses;
    void (*act)(GuardedWindow&);
};

const Leave Leaves[] = {
    {"Tab", "txtError", false, [](auto& w) { QTest::keyClick(w.f.txtVarNams, Qt::Key_Tab); }},
    {"Shift+Tab", "txtOrder", false,
     [](auto& w) { QTest::keyClick(w.f.txtVarNams, Qt::Key_Backtab, Qt::ShiftModifier); }},
    {"click on a field", "txtEquation", false, [](auto& w) { w.Click(*w.f.txtEquation); }},
    {"click on a button", "cmdAddCons", true, [](auto& w) { w.Click(*w.f.cmdAddCons); }},
    {"click sent to the button", "cmdAddCons", true,
     [](auto& w) { QTest::mouseClick(w.f.cmdAddCons, Qt::LeftButton); }},
    {"mnemonic", "cmdIntegrate", true,
     [](auto& w) { QTest::keyClick(w.f.txtVarNams, Qt::Key_I, Qt::AltModifier); }},
    {"set by the program", "txtEquation", false,
     [](auto& w) { w.f.txtEquation->setFocus(Qt::OtherFocusReason); }},
};
} // namespace

class FocusTest : public QObject {
    Q_OBJECT
private slots:
    void leavingIsCheckedFirst_data() {
        QTest::addColumn<int>("leave");
        QTest::addColumn<bool>("refuse");
        for (bool refuse : {true, false})
            for (int i = 0; i < int(std::size(Leaves)); ++i)
                QTest::addRow("%s %s", Leaves[i].name, refuse ? "refused" : "accepted")
                    << i << refuse;
    }
    void leavingIsCheckedFirst() {
        QFETCH(int, leave);
        QFETCH(bool, refuse);
        const Leave& way = Leaves[leave];
        GuardedWindow w;
        Probe probe{.refuse = refuse};
        w.Attach(*w.f.txtVarNams, probe);
        QCOMPARE(QApplication::focusWidget(), w.f.txtVarNams);
        QTest::keyClicks(w.f.txtVarNams, "abc"); // typing inside the field: no arrival, no leave
        QCOMPARE(probe.got, 1);
        QCOMPARE(probe.validated, 0);

        way.act(w);
        QCoreApplication::processEvents();

        QCOMPARE(probe.validated, 1);
        if (refuse) {
            QCOMPARE(QApplication::focusWidget(), w.f.txtVarNams);
            QCOMPARE(probe.lost, 0);
            QCOMPARE(probe.got, 1); // the focus never left
            QCOMPARE(w.clicks, 0);
        } else {
            QCOMPARE(QApplication::focusWidget()->objectName(), way.to);
            QCOMPARE(probe.lost, 1);
            QVERIFY(probe.goneWhenLost);
            QTRY_COMPARE(w.clicks, way.presses ? 1 : 0);
        }
    }

    // Opening a menu, escaping from it and triggering an item, then closing the window.
    void menusAndClosingAreNoLeave() {
        GuardedWindow w;
        Probe probe{.refuse = true};
        w.Attach(*w.f.txtOrder, probe);
        QMenuBar* bar = w.f.menuBar();
        const QPoint file = bar->actionGeometry(w.f.mnuFile->menuAction()).center();
        QTest::mouseClick(w.f.windowHandle(), Qt::LeftButton, {}, bar->mapTo(&w.f, file));
        QTRY_VERIFY(w.f.mnuFile->isVisible());
        QTest::keyClick(w.f.mnuFile, Qt::Key_Escape);
        QTRY_VERIFY(!w.f.mnuFile->isVisible());
        if (QApplication::focusWidget() == bar) // the bar keeps the keyboard until a second Escape
            QTest::keyClick(bar, Qt::Key_Escape);
        QTRY_COMPARE(QApplication::focusWidget(), w.f.txtOrder);
        w.f.mnuHelp->trigger();
        QCOMPARE(w.help.opened.size(), 1u);
        QCOMPARE(QApplication::focusWidget(), w.f.txtOrder);

        w.f.close();
        QCoreApplication::processEvents();
        QCOMPARE(w.ended, 1);
        QCOMPARE(probe.validated, 0);
        QCOMPARE(probe.lost, 0);
    }

    void focusOrder() {
        for (bool limitsShown : {false, true}) {
            GuardedWindow w;
            frmVantrel& f = w.f;
            QStringList expected{"txtOrder", "txtVarNams", "txtError", "txtEquation",
                                 "cboConstants"};
            if (limitsShown) {
                f.FrmMain->show();
                for (int L = 0; L < 3; ++L)
                    for (QWidget* field : {f.txtUL[L], f.txtLL[L], f.txtSubintervals[L]}) {
                        field->show();
                        expected << field->objectName();
                    }
                f.cmdPrevLim->show();
                f.cmdNextLim->show();
            }
            expected += QStringList{"cmdIntegrate", "cmdRemCons", "cmdAddCons"};
            if (limitsShown) expected += QStringList{"cmdPrevLim", "cmdNextLim"};

            f.txtOrder->setFocus(Qt::TabFocusReason);
            QStringList visited;
            for (qsizetype step = 0; step <= expected.size(); ++step) {
                QWidget* focus = QApplication::focusWidget();
                QVERIFY(focus);
                if (qobject_cast<QComboBox*>(focus->parentWidget())) focus = focus->parentWidget();
                visited << focus->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            QCOMPARE(visited, expected + QStringList{"txtOrder"});
        }
    }
};

QTEST_MAIN(FocusTest)
#include "focus_test.moc"
