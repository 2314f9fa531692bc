// The main window as it starts: controls, texts, geometry, colours, menus, loading and
// unloading, Help and About.
#include "WindowFixture.h"

#include "ui/Fonts.h"
#include "ui/Look.h"
#include "ui/Twips.h"
#include "ui/frmAbout.h"

#include <QAction>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cmath>

using namespace vantrel;
using namespace vantrel::test;

namespace {
QString CaptionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* field = qobject_cast<QLineEdit*>(widget)) return field->text();
    if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
    return QStringLiteral("?");
}

// An action as "name text", with "hidden" or "disabled" where it is; a separator as "name -".
QString Describe(QAction* action) {
    if (action->isSeparator()) return action->objectName() + " -";
    const char* state = !action->isVisible() ? " hidden" : action->isEnabled() ? "" : " disabled";
    return action->objectName() + " " + action->text() + state;
}

frmAbout* OpenAbout() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* about = qobject_cast<frmAbout*>(window); about && about->isVisible())
            return about;
    return nullptr;
}
} // namespace

class WindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<ShownWindow> shown;
    frmVantrel* w = nullptr;

private slots:
    void init() {
        shown = std::make_unique<ShownWindow>();
        w = shown->window.get();
    }
    void cleanup() { shown.reset(); }

    void controlsStartWithTheirTextsTipsAndPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<bool>("shown"); // else hidden itself, not only by its frame
        auto row = [](const char* name, const char* caption, const char* tip, QRect twips,
                      bool shown = true) {
            QTest::newRow(name) << QString(name) << QString(caption) << QString(tip) << twips
                                << shown;
        };
        row("lblOrder", "Enter the order of the integral:", "", {0, 0, 2655, 285});
        row("txtOrder", "", "1 for SINGLE, 2 for DOUBLE, 3 for TRIPLE, etc.", {2640, 0, 330, 285});
        row("lblVarNam",
            "Enter the names of the independent variables IN DESIRED ORDER OF INTEGRATION, "
            "separated by commas:",
            "", {0, 300, 9420, 225});
        row("txtVarNams", "t,z,y,x", "MUST be entered in desired ORDER OF INTEGRATION",
            {0, 510, 9500, 285});
        row("lblError", "Approx. error bound:", "", {0, 810, 1815, 285});
        row("txtError", ".01", "Error MUST be >0", {1800, 810, 1545, 285});
        row("lblIntegrand", "Enter Integrand:", "", {0, 1110, 1425, 225});
        row("lblEquation", "", "Enter in terms of these variables and the constants you define",
            {1410, 1110, 105, 225});
        row("txtEquation", "",
            "Must be in terms of the variables defined above and constants defined below",
            {0, 1320, 9500, 285});
        row("fraConstants", "User constants", "Add or remove user-defined constants",
            {-30, 1725, 2415, 855});
        row("FrmMain", "Limits of integration", "", {-30, 2700, 9500, 3000}, false);
        row("cmdIntegrate", "&Integral", "Compute integral", {3120, 6000, 1050, 285});
        row("lblIntegral", "", "Integral", {4170, 6000, 2175, 285});
        row("cmdAddCons", "Add", "Add (register) constant", {120, 210, 1050, 270});
        row("cmdRemCons", "Remove", "Remove selected constant", {1200, 210, 1050, 270});
        row("cboConstants", "", "Example: a=2.37", {120, 495, 2175, 315});
        row("cmdNextLim", "&Next Limits", "Display next limits", {60, 420, 1170, 285}, false);
        row("cmdPrevLim", "&Previous Limits", "Display previous limits", {1260, 420, 1170, 285},
            false);
        row("lblLimits", "Integration #", "", {3105, 150, 2880, 555}, false);
        row("lblIntegNum", "1", "", {6105, 150, 270, 555}, false);
    }
    void controlsStartWithTheirTextsTipsAndPlaces() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        QFETCH(QRect, twips);
        QFETCH(bool, shown);
        auto* widget = w->findChild<QWidget*>(name);
        QVERIFY(widget);
        QCOMPARE(CaptionOf(widget), caption);
        QCOMPARE(widget->toolTip(), tip);
        QCOMPARE(widget->geometry(),
                 TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        QCOMPARE(shown ? widget->isVisible() : widget->isHidden(), true);
    }

    void windowHasItsTitleAndFixedClientArea() {
        QCOMPARE(w->windowTitle(), QString("Vantrel Integration"));
        QCOMPARE(w->centralWidget()->size(), QSize(632, 434));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QCOMPARE(w->height(), 434 + w->menuBar()->height());
        QVERIFY(!w->windowIcon().isNull());
        QCOMPARE(TwipsToPixels(9500), 633);
    }

    void theLevelsAndTheOtherFieldsStartAsDefined() {
        QVERIFY(w->lblClickSign[0]->isHidden());
        QVERIFY(w->txtClickTip->isHidden());
        QCOMPARE(w->txtClickTip->toPlainText(),
                 QString("Click on an integral\nsign to edit\ncorresponding limits"));
        QCOMPARE(w->txtUL.size(), 3u);
        for (int L = 0; L < 3; ++L) {
            QCOMPARE(w->txtUL[L]->text(), QString("2"));
            QCOMPARE(w->txtLL[L]->text(), QString("1"));
            QCOMPARE(w->txtSubintervals[L]->text(), QString("4"));
            QCOMPARE(w->txtUL[L]->objectName(), QString("txtUL(%1)").arg(L));
            QCOMPARE(w->lblSubintervals[L]->text(), QString("Min. # of subintervals:"));
            QCOMPARE(w->lblIntSign[L]->text(), QString(QChar(0x222B)));
            QCOMPARE(w->lblOverVar[L]->frameStyle() & QFrame::Shape_Mask, int(QFrame::NoFrame));
        }
        QCOMPARE(QApplication::focusWidget(), w->txtOrder);
        QCOMPARE(w->cboConstants->count(), 0);
        QVERIFY(w->cboConstants->isEditable());
    }

    void coloursAndFonts() {
        const std::tuple<QWidget*, QPalette::ColorRole, QColor> colours[] = {
            {w->centralWidget(), QPalette::Window, colour::Cyan},
            {w->cmdAddCons, QPalette::Button, colour::Teal},
            {w->cmdIntegrate, QPalette::Button, colour::LightOrange},
            {w->lblIntegral, QPalette::Window, colour::LightYellow},
            {w->lblOrder, QPalette::Window, ToolTipColour()},
            {w->lblIntSign[0], QPalette::WindowText, colour::Red},
            {w->cmdNextLim, QPalette::Button, colour::LightRed},
        };
        for (QWidget* field : std::initializer_list<QWidget*>{
                 w->txtOrder, w->txtVarNams, w->txtError, w->txtEquation, w->cboConstants,
                 w->txtUL[0], w->txtSubintervals[2]})
            QCOMPARE(field->palette().color(QPalette::Base), colour::LightGreen);
        for (const auto& [widget, role, expected] : colours)
            QVERIFY2(widget->palette().color(role) == expected, qPrintable(widget->objectName()));

        const QStringList freeFaces{"DejaVu Sans", "Liberation Sans", "Verdana", "MS Sans Serif"};
        for (QWidget* widget : std::initializer_list<QWidget*>{w->txtOrder, w->lblOrder})
            QVERIFY2(freeFaces.contains(QFontInfo(widget->font()).family()),
                     qPrintable(QFontInfo(widget->font()).family()));
        QVERIFY(w->lblOrder->font().bold());
        QCOMPARE(w->txtOrder->font().pointSizeF(), 8.25);
        QCOMPARE(w->lblIntSign[0]->font().pointSize(), 48);
        QVERIFY(QFontMetrics(w->lblIntSign[0]->font()).inFont(QChar(0x222B)));
        QVERIFY(QFontInfo(CourierNewFont(10)).fixedPitch());
    }

    void menuBarShowsFileAndHelp() {
        QStringList bar, file;
        for (QAction* action : w->menuBar()->actions())
            bar << Describe(action);
        QCOMPARE(bar, QStringList({"mnuFile File", "mnuPrint Print hidden", "mnuHelp Help",
                                   "mnuAbout About hidden"}));
        for (QAction* action : w->mnuFile->actions())
            file << Describe(action);
        QCOMPARE(file, QStringList({"mnuOpen Open", "mnuFileBar1 -", "mnuSave Save disabled",
                                    "mnuSaveAs Save As disabled", "mnuFileBar2 -"}));
        for (QAction* action : w->findChildren<QAction*>())
            QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->objectName()));
    }

    void loadingSetsUpTheScriptEnvironmentAndClearsComputed() {
        Dimension dim;
        dim.Computed = true;
        frmVantrel window(dim);
        QVERIFY(!dim.Computed);
        QCOMPARE(dim.Funcs().pi, 4 * std::atan(1.0));
    }

    void helpOpensTheFileBesideTheExecutable() {
        w->mnuHelp->trigger();
        QCOMPARE(shown->help.opened,
                 std::vector<QString>{QCoreApplication::applicationDirPath() + "/vantrel.chm"});
    }

    void aboutShowsTheNoticesAndAppendsWhileOpen() {
        w->mnuAbout->trigger();
        frmAbout* about = OpenAbout();
        QVERIFY(about);
        QCOMPARE(about->Lines().size(), 10);
        QCOMPARE(about->Lines()[3], QString("Vantrel Integration"));
        QCOMPARE(about->Lines()[7], QString("All Rights Reserved"));
        for (int empty : {0, 1, 2, 4, 6, 8})
            QVERIFY(about->Lines()[empty].isEmpty());
        QCOMPARE(about->size(), QSize(640, 480));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w->isEnabled());

        w->mnuAbout->trigger();
        QCOMPARE(OpenAbout(), about);
        QCOMPARE(about->Lines().size(), 20);

        QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(100, 100));
        QTRY_VERIFY(!OpenAbout());
        w->mnuAbout->trigger();
        QVERIFY(OpenAbout());
        QCOMPARE(OpenAbout()->Lines().size(), 10);
        OpenAbout()->close();
    }

    void closingRestoresTheSeparatorClosesOtherWindowsAndEnds() {
        w->mnuAbout->trigger();
        QVERIFY(OpenAbout());
        w->close();
        QCOMPARE(shown->restored, 1);
        QCOMPARE(shown->ended, 1);
        QVERIFY(!OpenAbout());
        QVERIFY(shown->reporter.shown.empty()); // no question on closing
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
