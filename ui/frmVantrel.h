// The main window: every field of the problem, the frame of user constants, the frame of
// limits, the Integral button with the result label and the menu bar. It owns the script
// engine ScriptControl1 and the error variable ierr.
//
// Field handlers. Each entry field is watched by focusGuard() (ui/FocusGuard.h). A field gets
// its check, leave and focus handlers by one call, usually in WireFieldHandlers():
//     focusGuard().Watch(*txtError, {.Validate = [this](bool& Cancel) { txtError_Validate(Cancel);
//     },
//                                    .LostFocus = [this] { txtError_LostFocus(); },
//                                    .GotFocus = [this] { txtError_GotFocus(); }});
// Validate runs before the focus leaves the field and may set Cancel to keep it there;
// LostFocus runs once after the focus has gone; GotFocus when the focus arrives. Per-level
// fields created later are watched the same way, capturing their level.
#pragma once

#include "engine/Dimension.h"
#include "engine/Reporter.h"
#include "script/ScriptControl.h"

#include <QMainWindow>
#include <QPointer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

class FileDialog;
class FocusGuard;
class HelpViewer;
class Printer;
class frmAbout;

class frmVantrel : public QMainWindow {
    Q_OBJECT
public:
    // dim is the problem state, which outlives the window. Loading the window (Form_Load) is
    // part of its construction.
    explicit frmVantrel(Dimension& dim, QWidget* parent = nullptr);
    ~frmVantrel() override;

    // Replaceable services; by default message boxes and the desktop's help viewer.
    void SetReporter(Reporter& reporter) { reporter_ = &reporter; }
    Reporter& MessageReporter() { return *reporter_; }
    void SetHelpViewer(HelpViewer& viewer) { helpViewer_ = &viewer; }
    // By default Qt's file dialog and the system's printers.
    void SetFileDialog(FileDialog& dialog) { cdbFile_ = &dialog; }
    void SetPrinter(Printer& printer) { printer_ = &printer; }
    // Steps of the unload: restoring the decimal separator, and ending the program (by default
    // the application's quit).
    void SetRestoreDecimalSeparator(std::function<void()> restore) {
        restore_ = std::move(restore);
    }
    void SetEndProgram(std::function<void()> end) { endProgram_ = std::move(end); }
    // The clock that times a computation for its progress window; by default the steady clock.
    void SetClock(std::function<std::chrono::steady_clock::time_point()> now) {
        now_ = std::move(now);
    }

    FocusGuard& focusGuard() { return *focusGuard_; }
    Dimension& State() { return dim_; }

    // The focus order: the fields above the limits frame, the per-level fields level by level
    // (upper limit, lower limit, subintervals), then the buttons. Run again when levels are added.
    void ApplyFocusOrder();

    int32_t ierr = 0;
    ScriptControl ScriptControl1;

    // Controls on the window
    QLabel* lblOrder = nullptr;
    QLineEdit* txtOrder = nullptr;
    QLabel* lblVarNam = nullptr;
    QLineEdit* txtVarNams = nullptr;
    QLabel* lblError = nullptr;
    QLineEdit* txtError = nullptr;
    QLabel* lblIntegrand = nullptr;
    QLabel* lblEquation = nullptr;
    QLineEdit* txtEquation = nullptr;
    QGroupBox* fraConstants = nullptr;
    QGroupBox* FrmMain = nullptr;
    QPushButton* cmdIntegrate = nullptr;
    QLabel* lblIntegral = nullptr;

    // In fraConstants
    QPushButton* cmdAddCons = nullptr;
    QPushButton* cmdRemCons = nullptr;
    QComboBox* cboConstants = nullptr;

    // In FrmMain: per-level controls, indexed by the level (levels 0 to 2 exist from the start)
    std::vector<QLabel*> lblIntSign;
    std::vector<QLineEdit*> txtUL;
    std::vector<QLabel*> lblFunctionOf;
    std::vector<QLineEdit*> txtLL;
    std::vector<QLabel*> lblOverVar;
    std::vector<QLabel*> lblSubintervals;
    std::vector<QLineEdit*> txtSubintervals;

    // In FrmMain: browse controls
    QPushButton* cmdNextLim = nullptr;
    QPushButton* cmdPrevLim = nullptr;
    QLabel* lblLimits = nullptr;
    QLabel* lblIntegNum = nullptr;
    std::vector<QLabel*> lblClickSign; // sign 0 exists from the start
    QPlainTextEdit* txtClickTip = nullptr;

    // Menu bar
    QMenu* mnuFile = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuFileBar1 = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnuFileBar2 = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;

    void Form_Load();
    void Form_Unload();
    void mnuHelp_Click();
    void mnuAbout_Click();

    // Order and variable names (ui/OrderEntry.cpp)
    void txtOrder_Validate(bool& Cancel);
    void txtOrder_LostFocus();
    void txtVarNams_Validate(bool& Cancel);
    void txtVarNams_LostFocus();
    void LoadObjects();

    // The limits frame (ui/LimitsFrame.cpp); LL is a level, k an integration number (LL + 1)
    void EditLimit(int LL);
    void cmdNextLim_Click();
    void cmdPrevLim_Click();
    void lblClickSign_Click(int Index);

    // User constants (ui/Constants.cpp)
    void cmdAddCons_Click();
    void cmdRemCons_Click();
    void cboConstants_Change();
    void cboConstants_KeyPress(int KeyAscii);
    void cboConstants_LostFocus() {}

    // Field behaviours (ui/FieldBehaviours.cpp)
    void txtError_GotFocus();
    void txtError_Validate(bool& Cancel);
    void txtError_LostFocus();
    void txtEquation_Validate(bool& Cancel);
    void txtEquation_Change();

    // The Integrate command (ui/IntegrateCommand.cpp)
    void cmdIntegrate_Click();
    void Compute();

    // Problem files (ui/FileCommands.cpp) and the printed report (ui/PrintCommand.cpp)
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void SaveFile();
    void FillForm();
    void mnuPrint_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls(QWidget& client);
    void CreateConstantsFrame();
    void CreateLimitsFrame();
    void CreateMenus();
    void WireFieldHandlers();

    // Handlers of problem entry, and the per-level fields' focus handlers
    void WireEntryHandlers();
    void WatchLevel(int L);
    void SetUpBrowse();
    void ShowSignRow();
    void ArrangeLimits();
    void PlaceLevel(int L);
    void MarkCurrentSign(int k);
    int CurrentIntegrationNumber() const;
    void ShowSubintervals(int L);
    void ReadProblem();
    void ClearIntegral();

    // Problem files and the printed report
    void WireFileCommands();
    FileDialog& cdbFile();
    Printer& ThePrinter();
    bool ResultShown() const;

    Dimension& dim_;
    std::unique_ptr<Reporter> ownReporter_;
    std::unique_ptr<HelpViewer> ownHelpViewer_;
    Reporter* reporter_;
    HelpViewer* helpViewer_;
    std::unique_ptr<FileDialog> ownFileDialog_;
    std::unique_ptr<Printer> ownPrinter_;
    FileDialog* cdbFile_ = nullptr;
    Printer* printer_ = nullptr;
    std::function<void()> restore_;
    std::function<void()> endProgram_;
    std::function<std::chrono::steady_clock::time_point()> now_ = std::chrono::steady_clock::now;
    FocusGuard* focusGuard_ = nullptr;
    QPointer<frmAbout> about_;
    bool centred_ = false;
    int selectedConstant_ = -1; // the list entry picked last, until the text line is edited
};

} // namespace vantrel
