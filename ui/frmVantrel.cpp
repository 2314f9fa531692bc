#include "ui/frmVantrel.h"

#include "engine/ScriptEnvironment.h"
#include "ui/AppIcon.h"
#include "ui/CaptionedFrame.h"
#include "ui/FileDialog.h"
#include "ui/FocusGuard.h"
#include "ui/Fonts.h"
#include "ui/HelpViewer.h"
#include "ui/IntegralSignLabel.h"
#include "ui/Look.h"
#include "ui/MenuKeys.h"
#include "ui/MessageBoxReporter.h"
#include "ui/Printer.h"
#include "ui/Twips.h"
#include "ui/frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>

#include <algorithm>

namespace vantrel {

namespace {
constexpr int InitialLevels = 3;

template <typename Widget> Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QString IndexedName(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// Bold sans serif on the tooltip colour with a thin border.
QLabel* InstructionLabel(QWidget& parent, const char* name, const char* caption) {
    auto* label = Named(new QLabel(QString::fromUtf8(caption), &parent), name);
    label->setFont(SansSerifFont(8.25, true));
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    SetBackColour(*label, ToolTipColour());
    return label;
}

QLineEdit* EntryField(QWidget& parent, const QString& name, const char* text, const char* tip) {
    auto* field = new QLineEdit(QString::fromUtf8(text), &parent);
    field->setObjectName(name);
    field->setToolTip(QString::fromUtf8(tip));
    field->setFont(VerdanaFont(8.25));
    SetFieldColour(*field, colour::LightGreen);
    return field;
}

QPushButton* Button(QWidget& parent, const char* name, const char* caption, const char* tip,
                    const QColor& back) {
    auto* button = Named(new QPushButton(QString::fromUtf8(caption), &parent), name);
    button->setToolTip(QString::fromUtf8(tip));
    button->setFont(SansSerifFont(8.25));
    SetButtonColour(*button, back);
    return button;
}

QGroupBox* Frame(QWidget& parent, const char* name, const char* caption) {
    auto* frame = Named(new CaptionedFrame(QString::fromUtf8(caption), &parent), name);
    frame->setFont(SansSerifFont(8.25, true));
    SetBackColour(*frame, colour::Cyan);
    return frame;
}

QLabel* SignLabel(QWidget& parent, const QString& name, const QColor& colour) {
    auto* sign = new IntegralSignLabel(&parent);
    sign->setObjectName(name);
    sign->setFont(SymbolFont(48));
    SetTextColour(*sign, colour);
    return sign;
}

// A read-only text box shows its lines as they are, each whole: where the platform's face is wider
// than the classic one, the size steps down until every line fits the box.
void FitLinesToBox(QPlainTextEdit& box) {
    box.setLineWrapMode(QPlainTextEdit::NoWrap);
    box.document()->setDocumentMargin(1);
    const QStringList lines = box.toPlainText().split(QLatin1Char('\n'));
    const int margins = 2 * static_cast<int>(box.document()->documentMargin()) + 1;
    const QSize room = box.contentsRect().size() - QSize(margins, margins);
    QFont font = box.font();
    for (; font.pointSizeF() > 6; font.setPointSizeF(font.pointSizeF() - 0.25)) {
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= room.width() && lines.size() * metrics.lineSpacing() <= room.height()) break;
    }
    box.setFont(font);
}

// Red bold Verdana labels of a level; designed with a thin border, which loading removes.
QLabel* LevelLabel(QWidget& parent, const QString& name, const char* tip) {
    auto* label = new QLabel(&parent);
    label->setObjectName(name);
    label->setToolTip(QString::fromUtf8(tip));
    label->setFont(VerdanaFont(8.25, true));
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    SetTextColour(*label, colour::Red);
    return label;
}
} // namespace

frmVantrel::frmVantrel(Dimension& dim, QWidget* parent)
    : QMainWindow(parent), dim_(dim), ownReporter_(std::make_unique<MessageBoxReporter>(this)),
      ownHelpViewer_(std::make_unique<CompiledHelpViewer>()), reporter_(ownReporter_.get()),
      helpViewer_(ownHelpViewer_.get()), endProgram_([] { QCoreApplication::quit(); }) {
    setObjectName(QStringLiteral("frmVantrel"));
    setWindowTitle(QString::fromUtf8(AppTitle));
    setWindowIcon(QIcon(QPixmap::fromImage(AppIconImage(32))));
    setFont(SansSerifFont(8.25));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(TwipsToPixels(9480), TwipsToPixels(6510));
    SetBackColour(*client, colour::Cyan);
    setCentralWidget(client);

    CreateControls(*client);
    CreateMenus();
    EnableMenuBarKeys(*this);
    focusGuard_ = new FocusGuard(*this);
    WireFieldHandlers();
    WireEntryHandlers();
    WireFileCommands();
    ApplyFocusOrder();
    setFixedSize(client->width(), client->height() + menuBar()->sizeHint().height());
    txtOrder->setFocus(Qt::OtherFocusReason);

    Form_Load();
}

frmVantrel::~frmVantrel() {
    delete about_;
}

void frmVantrel::CreateControls(QWidget& client) {
    lblOrder = InstructionLabel(client, "lblOrder", "Enter the order of the integral:");
    PlaceTwips(*lblOrder, 0, 0, 2655, 285);
    txtOrder = EntryField(client, QStringLiteral("txtOrder"), "",
                          "1 for SINGLE, 2 for DOUBLE, 3 for TRIPLE, etc.");
    PlaceTwips(*txtOrder, 2640, 0, 330, 285);

    lblVarNam = InstructionLabel(client, "lblVarNam",
                                 "Enter the names of the independent variables IN DESIRED ORDER "
                                 "OF INTEGRATION, separated by commas:");
    PlaceTwips(*lblVarNam, 0, 300, 9420, 225);
    txtVarNams = EntryField(client, QStringLiteral("txtVarNams"), "t,z,y,x",
                            "MUST be entered in desired ORDER OF INTEGRATION");
    PlaceTwips(*txtVarNams, 0, 510, 9500, 285);

    lblError = InstructionLabel(client, "lblError", "Approx. error bound:");
    PlaceTwips(*lblError, 0, 810, 1815, 285);
    txtError = EntryField(client, QStringLiteral("txtError"), ".01", "Error MUST be >0");
    PlaceTwips(*txtError, 1800, 810, 1545, 285);

    lblIntegrand = InstructionLabel(client, "lblIntegrand", "Enter Integrand:");
    PlaceTwips(*lblIntegrand, 0, 1110, 1425, 225);
    lblEquation = InstructionLabel(client, "lblEquation", "");
    lblEquation->setToolTip(
        QStringLiteral("Enter in terms of these variables and the constants you define"));
    PlaceTwips(*lblEquation, 1410, 1110, 105, 225);
    txtEquation =
        EntryField(client, QStringLiteral("txtEquation"), "",
                   "Must be in terms of the variables defined above and constants defined below");
    PlaceTwips(*txtEquation, 0, 1320, 9500, 285);

    fraConstants = Frame(client, "fraConstants", "User constants");
    fraConstants->setToolTip(QStringLiteral("Add or remove user-defined constants"));
    PlaceTwips(*fraConstants, -30, 1725, 2415, 855);
    CreateConstantsFrame();

    FrmMain = Frame(client, "FrmMain", "Limits of integration");
    PlaceTwips(*FrmMain, -30, 2700, 9500, 3000);
    CreateLimitsFrame();
    FrmMain->hide();

    cmdIntegrate =
        Button(client, "cmdIntegrate", "&Integral", "Compute integral", colour::LightOrange);
    PlaceTwips(*cmdIntegrate, 3120, 6000, 1050, 285);

    lblIntegral = Named(new QLabel(&client), "lblIntegral");
    lblIntegral->setToolTip(QStringLiteral("Integral"));
    lblIntegral->setFont(VerdanaFont(8.25));
    lblIntegral->setFrameStyle(QFrame::Box | QFrame::Plain);
    SetBackColour(*lblIntegral, colour::LightYellow);
    PlaceTwips(*lblIntegral, 4170, 6000, 2175, 285);
}

void frmVantrel::CreateConstantsFrame() {
    cmdAddCons =
        Button(*fraConstants, "cmdAddCons", "Add", "Add (register) constant", colour::Teal);
    PlaceTwips(*cmdAddCons, 120, 210, 1050, 270);
    cmdRemCons =
        Button(*fraConstants, "cmdRemCons", "Remove", "Remove selected constant", colour::Teal);
    PlaceTwips(*cmdRemCons, 1200, 210, 1050, 270);

    cboConstants = Named(new QComboBox(fraConstants), "cboConstants");
    cboConstants->setEditable(true);
    cboConstants->setInsertPolicy(QComboBox::NoInsert); // Enter adds through cmdAddCons
    cboConstants->setToolTip(QStringLiteral("Example: a=2.37"));
    cboConstants->setFont(VerdanaFont(8.25));
    SetFieldColour(*cboConstants, colour::LightGreen);
    SetFieldColour(*cboConstants->lineEdit(), colour::LightGreen);
    PlaceTwips(*cboConstants, 120, 495, 2175, 315);
}

void frmVantrel::CreateLimitsFrame() {
    QWidget& frame = *FrmMain;
    // Levels 0 to 2 side by side, the outermost at the left, until the order lays them out.
    constexpr int signLeft[InitialLevels] = {4920, 1740, 0};
    constexpr int fieldWidth[InitialLevels] = {4260, 2885, 1442};
    for (int L = 0; L < InitialLevels; ++L) {
        const int s = signLeft[L];
        auto* sign = SignLabel(frame, IndexedName("lblIntSign", L), colour::Red);
        if (L == 2)
            PlaceTwips(*sign, s, 720, 255, 1170);
        else
            PlaceTwips(*sign, s, 720, 240, 1050);
        lblIntSign.push_back(sign);

        auto* upper = EntryField(frame, IndexedName("txtUL", L), "2", "Upper limit");
        PlaceTwips(*upper, s + 270, 810, fieldWidth[L], 285);
        txtUL.push_back(upper);

        auto* functionOf =
            LevelLabel(frame, IndexedName("lblFunctionOf", L), "Limits are a function of these");
        PlaceTwips(*functionOf, s + 270, 1200, 105, 255);
        lblFunctionOf.push_back(functionOf);

        auto* lower = EntryField(frame, IndexedName("txtLL", L), "1", "Lower limit");
        PlaceTwips(*lower, s + 270, 1560, fieldWidth[L], 285);
        txtLL.push_back(lower);

        auto* overVar =
            LevelLabel(frame, IndexedName("lblOverVar", L), "Integral over this variable");
        PlaceTwips(*overVar, s + 60, 1770, 105, 255);
        lblOverVar.push_back(overVar);

        auto* caption = new QLabel(QStringLiteral("Min. # of subintervals:"), &frame);
        caption->setObjectName(IndexedName("lblSubintervals", L));
        caption->setFont(SansSerifFont(8.25));
        PlaceTwips(*caption, s + 60, 2070, 1560, 195);
        WidenToText(*caption);
        lblSubintervals.push_back(caption);

        auto* subintervals = EntryField(frame, IndexedName("txtSubintervals", L), "4",
                                        "Minimum # of subintervals in this direction. Should be "
                                        "enough to find an accurate integral.");
        PlaceTwips(*subintervals, s + 60, 2280, 1140, 285);
        txtSubintervals.push_back(subintervals);
    }

    cmdNextLim =
        Button(frame, "cmdNextLim", "&Next Limits", "Display next limits", colour::LightRed);
    PlaceTwips(*cmdNextLim, 60, 420, 1170, 285);
    cmdPrevLim = Button(frame, "cmdPrevLim", "&Previous Limits", "Display previous limits",
                        colour::LightRed);
    PlaceTwips(*cmdPrevLim, 1260, 420, 1170, 285);

    lblLimits = Named(new QLabel(QStringLiteral("Integration #"), &frame), "lblLimits");
    lblLimits->setFont(SansSerifFont(24, true));
    SetTextColour(*lblLimits, colour::Red);
    PlaceTwips(*lblLimits, 3105, 150, 2880, 555);
    lblIntegNum = Named(new QLabel(QStringLiteral("1"), &frame), "lblIntegNum");
    lblIntegNum->setFont(SansSerifFont(24, true));
    SetTextColour(*lblIntegNum, colour::Red);
    PlaceTwips(*lblIntegNum, 6105, 150, 270, 555);
    WidenToText(*lblIntegNum);

    auto* sign = SignLabel(frame, IndexedName("lblClickSign", 0), colour::Black);
    sign->setToolTip(QStringLiteral("Click on an integral sign to display corresponding limits"));
    PlaceTwips(*sign, 1800, 1890, 240, 1050);
    lblClickSign.push_back(sign);

    txtClickTip = Named(new QPlainTextEdit(&frame), "txtClickTip");
    txtClickTip->setPlainText(
        QStringLiteral("Click on an integral\nsign to edit\ncorresponding limits"));
    txtClickTip->setReadOnly(true);
    txtClickTip->setFocusPolicy(Qt::NoFocus);
    txtClickTip->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtClickTip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtClickTip->setFont(VerdanaFont(12, true));
    SetTextColour(*txtClickTip, colour::Red);
    SetFieldColour(*txtClickTip, ToolTipColour());
    PlaceTwips(*txtClickTip, 4400, 1980, 2805, 885);
    FitLinesToBox(*txtClickTip);

    for (QWidget* browse : {static_cast<QWidget*>(cmdNextLim), static_cast<QWidget*>(cmdPrevLim),
                            static_cast<QWidget*>(lblLimits), static_cast<QWidget*>(lblIntegNum),
                            static_cast<QWidget*>(sign), static_cast<QWidget*>(txtClickTip)})
        browse->hide();
}

void frmVantrel::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    mnuFile = Named(bar->addMenu(QStringLiteral("File")), "mnuFile");
    mnuFile->menuAction()->setObjectName(QStringLiteral("mnuFile"));
    mnuOpen = Named(mnuFile->addAction(QStringLiteral("Open")), "mnuOpen");
    mnuFileBar1 = Named(mnuFile->addSeparator(), "mnuFileBar1");
    mnuSave = Named(mnuFile->addAction(QStringLiteral("Save")), "mnuSave");
    mnuSaveAs = Named(mnuFile->addAction(QStringLiteral("Save As")), "mnuSaveAs");
    mnuFileBar2 = Named(mnuFile->addSeparator(), "mnuFileBar2");
    mnuPrint = Named(bar->addAction(QStringLiteral("Print")), "mnuPrint");
    mnuHelp = Named(bar->addAction(QStringLiteral("Help")), "mnuHelp");
    mnuAbout = Named(bar->addAction(QStringLiteral("About")), "mnuAbout");

    connect(mnuHelp, &QAction::triggered, this, &frmVantrel::mnuHelp_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmVantrel::mnuAbout_Click);
}

void frmVantrel::WireFieldHandlers() {
    for (QWidget* field : {static_cast<QWidget*>(txtOrder), static_cast<QWidget*>(txtVarNams),
                           static_cast<QWidget*>(txtError), static_cast<QWidget*>(txtEquation),
                           static_cast<QWidget*>(cboConstants)})
        focusGuard().Watch(*field, {});
    for (std::size_t L = 0; L < txtUL.size(); ++L)
        for (QWidget* field : {txtUL[L], txtLL[L], txtSubintervals[L]})
            focusGuard().Watch(*field, {});
}

void frmVantrel::ApplyFocusOrder() {
    std::vector<QWidget*> order{txtOrder, txtVarNams, txtError, txtEquation, cboConstants};
    for (std::size_t L = 0; L < txtUL.size(); ++L)
        order.insert(order.end(), {txtUL[L], txtLL[L], txtSubintervals[L]});
    order.insert(order.end(), {cmdIntegrate, cmdRemCons, cmdAddCons, cmdPrevLim, cmdNextLim});
    for (std::size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmVantrel::Form_Load() {
    for (int L = 0; L < InitialLevels; ++L) {
        lblOverVar[L]->setFrameStyle(QFrame::NoFrame);
        lblFunctionOf[L]->setFrameStyle(QFrame::NoFrame);
    }
    SetUpScriptEnvironment(ScriptControl1, dim_.Funcs(), ierr);
    mnuSave->setEnabled(false);
    mnuSaveAs->setEnabled(false);
    mnuPrint->setVisible(false);
    mnuAbout->setVisible(false);
    dim_.Computed = false;
}

void frmVantrel::Form_Unload() {
    if (restore_) restore_();
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != this && window->isVisible()) window->close();
    endProgram_();
}

void frmVantrel::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmVantrel::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (centred_ || !screen()) return;
    centred_ = true;
    QRect frame = frameGeometry();
    frame.moveCenter(screen()->availableGeometry().center());
    move(frame.topLeft());
}

void frmVantrel::mnuHelp_Click() {
    helpViewer_->Open(HelpFilePath());
}

void frmVantrel::mnuAbout_Click() {
    if (!about_ || !about_->isVisible()) // a closed one is on its way out
        about_ = new frmAbout;
    about_->show();
    about_->raise();
    about_->PrintNotices();
}

} // namespace vantrel
