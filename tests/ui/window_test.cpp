// The main window as it starts: controls, texts, geometry, colours, menus, loading and
// unloading, Help and About.
#include "WindowFixture.h"

#include "ui/Fonts.h"
#include "ui/HelpViewer.h"
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
#include <QTextBrowser>

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

frmAbout* OpenAbout() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* about = qobject_cast<frmAbout*>(window); about && about->isVisible())
            return about;
    return nullptr;
}
} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsStartWithTheirTextsTipsAndPlaces_data();
    void controlsStartWithTheirTextsTipsAndPlaces();
    void windowHasItsTitleAndFixedClientArea();
    void onlyTheTopRowsShowAtStart();
    void colours();
    void fontsFallBackToInstalledFaces();
    void menuBarShowsFileAndHelp();
    void loadingSetsUpTheScriptEnvironmentAndClearsComputed();
    void helpOpensTheFileBesideTheExecutable();
    void builtInHelpShowsTheContentsAndItsPages();
    void aboutShowsTheNoticesAndAppendsWhileOpen();
    void closingRestoresTheSeparatorClosesOtherWindowsAndEnds();
};

void WindowTest::controlsStartWithTheirTextsTipsAndPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QRect>("twips");
    auto row = [](const char* name, const char* caption, const char* tip, QRect twips) {
        QTest::newRow(name) << QString(name) << QString(caption) << QString(tip) << twips;
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
    row("FrmMain", "Limits of integration", "", {-30, 2700, 9500, 3000});
    row("cmdIntegrate", "&Integral", "Compute integral", {3120, 6000, 1050, 285});
    row("lblIntegral", "", "Integral", {4170, 6000, 2175, 285});
    row("cmdAddCons", "Add", "Add (register) constant", {120, 210, 1050, 270});
    row("cmdRemCons", "Remove", "Remove selected constant", {1200, 210, 1050, 270});
    row("cboConstants", "", "Example: a=2.37", {120, 495, 2175, 315});
    row("cmdNextLim", "&Next Limits", "Display next limits", {60, 420, 1170, 285});
    row("cmdPrevLim", "&Previous Limits", "Display previous limits", {1260, 420, 1170, 285});
    row("lblLimits", "Integration #", "", {3105, 150, 2880, 555});
    row("lblIntegNum", "1", "", {6105, 150, 270, 555});
}

void WindowTest::controlsStartWithTheirTextsTipsAndPlaces() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, tip);
    QFETCH(QRect, twips);
    ShownWindow shown;
    auto* widget = shown.window->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(CaptionOf(widget), caption);
    QCOMPARE(widget->toolTip(), tip);
    QCOMPARE(widget->geometry(), TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
}

void WindowTest::windowHasItsTitleAndFixedClientArea() {
    ShownWindow shown;
    frmVantrel& w = *shown.window;
    QCOMPARE(w.windowTitle(), QString("Vantrel Integration"));
    QCOMPARE(w.centralWidget()->size(), QSize(632, 434));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QCOMPARE(w.height(), 434 + w.menuBar()->height());
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(TwipsToPixels(-30), -2);
    QCOMPARE(TwipsToPixels(9500), 633);
}

void WindowTest::onlyTheTopRowsShowAtStart() {
    ShownWindow shown;
    frmVantrel& w = *shown.window;
    for (QWidget* visible : std::initializer_list<QWidget*>{
             w.lblOrder, w.txtOrder, w.lblVarNam, w.txtVarNams, w.lblError, w.txtError,
             w.lblIntegrand, w.lblEquation, w.txtEquation, w.fraConstants, w.cmdAddCons,
             w.cmdRemCons, w.cboConstants, w.cmdIntegrate, w.lblIntegral})
        QVERIFY2(visible->isVisible(), qPrintable(visible->objectName()));
    QVERIFY(w.FrmMain->isHidden());
    for (QWidget* browse :
         std::initializer_list<QWidget*>{w.cmdNextLim, w.cmdPrevLim, w.lblLimits, w.lblIntegNum,
                                         w.lblClickSign[0], static_cast<QWidget*>(w.txtClickTip)})
        QVERIFY2(browse->isHidden(), qPrintable(browse->objectName()));
    QCOMPARE(w.txtUL.size(), 3u);
    for (int L = 0; L < 3; ++L) {
        QCOMPARE(w.txtUL[L]->text(), QString("2"));
        QCOMPARE(w.txtLL[L]->text(), QString("1"));
        QCOMPARE(w.txtSubintervals[L]->text(), QString("4"));
        QCOMPARE(w.txtUL[L]->objectName(), QString("txtUL(%1)").arg(L));
        QCOMPARE(w.lblSubintervals[L]->text(), QString("Min. # of subintervals:"));
        QCOMPARE(w.lblIntSign[L]->text(), QString(QChar(0x222B)));
        QCOMPARE(w.lblOverVar[L]->frameStyle() & QFrame::Shape_Mask, int(QFrame::NoFrame));
    }
    QCOMPARE(w.txtClickTip->toPlainText(),
             QString("Click on an integral\nsign to edit\ncorresponding limits"));
    QVERIFY(w.txtOrder->isEnabled());
    QCOMPARE(QApplication::focusWidget(), w.txtOrder);
    QCOMPARE(w.cboConstants->count(), 0);
    QVERIFY(w.cboConstants->isEditable());
}

void WindowTest::colours() {
    ShownWindow shown;
    frmVantrel& w = *shown.window;
    QCOMPARE(w.centralWidget()->palette().color(QPalette::Window), colour::Cyan);
    for (QWidget* field :
         std::initializer_list<QWidget*>{w.txtOrder, w.txtVarNams, w.txtError, w.txtEquation,
                                         w.cboConstants, w.txtUL[0], w.txtSubintervals[2]})
        QCOMPARE(field->palette().color(QPalette::Base), colour::LightGreen);
    QCOMPARE(w.cmdAddCons->palette().color(QPalette::Button), colour::Teal);
    QCOMPARE(w.cmdIntegrate->palette().color(QPalette::Button), colour::LightOrange);
    QCOMPARE(w.lblIntegral->palette().color(QPalette::Window), colour::LightYellow);
    QCOMPARE(w.lblOrder->palette().color(QPalette::Window), ToolTipColour());
    QCOMPARE(w.lblIntSign[0]->palette().color(QPalette::WindowText), colour::Red);
    QCOMPARE(w.cmdNextLim->palette().color(QPalette::Button), colour::LightRed);
}

void WindowTest::fontsFallBackToInstalledFaces() {
    ShownWindow shown;
    frmVantrel& w = *shown.window;
    const QStringList freeFaces{"DejaVu Sans", "Liberation Sans", "Verdana", "MS Sans Serif"};
    QVERIFY2(freeFaces.contains(QFontInfo(w.txtOrder->font()).family()),
             qPrintable(QFontInfo(w.txtOrder->font()).family()));
    QVERIFY(freeFaces.contains(QFontInfo(w.lblOrder->font()).family()));
    QVERIFY(w.lblOrder->font().bold());
    QCOMPARE(w.txtOrder->font().pointSizeF(), 8.25);
    QCOMPARE(w.lblIntSign[0]->font().pointSize(), 48);
    QVERIFY(QFontMetrics(w.lblIntSign[0]->font()).inFont(QChar(0x222B)));
    QVERIFY(QFontInfo(CourierNewFont(10)).fixedPitch());
}

void WindowTest::menuBarShowsFileAndHelp() {
    ShownWindow shown;
    frmVantrel& w = *shown.window;
    QStringList bar;
    for (QAction* action : w.menuBar()->actions())
        if (action->isVisible()) bar << action->text();
    QCOMPARE(bar, QStringList({"File", "Help"}));
    QStringList all;
    for (QAction* action : w.menuBar()->actions())
        all << action->objectName();
    QCOMPARE(all, QStringList({"mnuFile", "mnuPrint", "mnuHelp", "mnuAbout"}));

    QList<QAction*> items = w.mnuFile->actions();
    QCOMPARE(items.size(), 5);
    QCOMPARE(items[0], w.mnuOpen);
    QVERIFY(items[1]->isSeparator() && items[4]->isSeparator());
    QCOMPARE(items[1]->objectName(), QString("mnuFileBar1"));
    QCOMPARE(items[2]->text(), QString("Save"));
    QCOMPARE(items[3]->text(), QString("Save As"));
    QVERIFY(w.mnuOpen->isEnabled());
    QVERIFY(!w.mnuSave->isEnabled());
    QVERIFY(!w.mnuSaveAs->isEnabled());
    QVERIFY(w.mnuHelp->isEnabled());
    for (QAction* action : w.findChildren<QAction*>())
        QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->objectName()));
}

void WindowTest::loadingSetsUpTheScriptEnvironmentAndClearsComputed() {
    Dimension dim;
    dim.Computed = true;
    frmVantrel window(dim);
    QVERIFY(!dim.Computed);
    QCOMPARE(dim.Funcs().pi, 4 * std::atan(1.0));
    QCOMPARE(dim.Funcs().halfpi, 2 * std::atan(1.0));
    QCOMPARE(dim.Funcs().e, std::exp(1.0));
}

void WindowTest::helpOpensTheFileBesideTheExecutable() {
    ShownWindow shown;
    shown.window->mnuHelp->trigger();
    shown.window->mnuHelp->trigger();
    QCOMPARE(shown.help.opened.size(), 2u);
    QCOMPARE(shown.help.opened[0], QCoreApplication::applicationDirPath() + "/vantrel.chm");
    QCOMPARE(shown.help.opened[1], shown.help.opened[0]);
}

void WindowTest::builtInHelpShowsTheContentsAndItsPages() {
    BuiltInHelpViewer viewer;
    viewer.Open(HelpFilePath());
    viewer.Open(HelpFilePath()); // one window, raised again
    QTextBrowser* help = nullptr;
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "helpViewer" && w->isVisible()) {
            help = qobject_cast<QTextBrowser*>(w);
            ++windows;
        }
    QCOMPARE(windows, 1);
    QVERIFY(help);
    QVERIFY(help->toPlainText().contains("Entering a problem"));
    help->setSource(QUrl("qrc:/help/expressions.html"));
    QVERIFY(!help->toPlainText().isEmpty());
}

void WindowTest::aboutShowsTheNoticesAndAppendsWhileOpen() {
    ShownWindow shown;
    shown.window->mnuAbout->trigger();
    frmAbout* about = OpenAbout();
    QVERIFY(about);
    QCOMPARE(about->Lines().size(), 10);
    QCOMPARE(about->Lines()[3], QString("Vantrel Integration"));
    QCOMPARE(about->Lines()[7], QString("All Rights Reserved"));
    for (int empty : {0, 1, 2, 4, 6, 8})
        QVERIFY(about->Lines()[empty].isEmpty());
    QCOMPARE(about->size(), QSize(640, 480));
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(shown.window->isEnabled());

    shown.window->mnuAbout->trigger();
    QCOMPARE(OpenAbout(), about);
    QCOMPARE(about->Lines().size(), 20);

    QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(100, 100));
    QTRY_VERIFY(!OpenAbout());
    shown.window->mnuAbout->trigger();
    QVERIFY(OpenAbout());
    QCOMPARE(OpenAbout()->Lines().size(), 10);
    OpenAbout()->close();
}

void WindowTest::closingRestoresTheSeparatorClosesOtherWindowsAndEnds() {
    ShownWindow shown;
    shown.window->mnuAbout->trigger();
    QVERIFY(OpenAbout());
    shown.window->close();
    QCOMPARE(shown.restored, 1);
    QCOMPARE(shown.ended, 1);
    QVERIFY(!OpenAbout());
    QVERIFY(shown.reporter.shown.empty()); // no question on closing
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
