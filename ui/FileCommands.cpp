// Open, Save and Save As of the File menu: a whole problem to and from a problem file.
#include "ui/frmVantrel.h"

#include "engine/NumberText.h"
#include "io/ProblemFile.h"
#include "ui/FileDialog.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace vantrel {

namespace {

std::string TextOf(const QLineEdit& field) {
    return field.text().toStdString();
}

QString Shown(const std::string& text) {
    return QString::fromStdString(text);
}

Message FileFailure(const std::string& fileName, const std::string& reason) {
    return {AppTitle, fileName + "\r" + reason, MsgIcon::Exclamation, MsgButtons::OK};
}

} // namespace

void frmVantrel::WireFileCommands() {
    connect(mnuOpen, &QAction::triggered, this, &frmVantrel::mnuOpen_Click);
    connect(mnuSave, &QAction::triggered, this, &frmVantrel::mnuSave_Click);
    connect(mnuSaveAs, &QAction::triggered, this, &frmVantrel::mnuSaveAs_Click);
    connect(mnuPrint, &QAction::triggered, this, &frmVantrel::mnuPrint_Click);
}

FileDialog& frmVantrel::cdbFile() {
    if (!cdbFile_) {
        ownFileDialog_ = std::make_unique<QtFileDialog>(this);
        cdbFile_ = ownFileDialog_.get();
    }
    return *cdbFile_;
}

bool frmVantrel::ResultShown() const {
    // A computation that failed leaves Computed set but shows no value: there is no result.
    return dim_.Computed && !lblIntegral->text().isEmpty();
}

// The whole file is read and checked before anything changes, so that a file that cannot be
// used leaves the window and the problem as they were, Open still available.
void frmVantrel::mnuOpen_Click() {
    const std::optional<std::string> chosen = cdbFile().ShowOpen();
    if (!chosen || chosen->empty()) return;
    const ReadOutcome read = ReadProblemFile(*chosen);
    if (read.status == ReadOutcome::Status::Incompatible) {
        MessageReporter().Show({AppTitle, "Incompatible file", MsgIcon::None, MsgButtons::OK});
        return;
    }
    if (read.status == ReadOutcome::Status::Failed) {
        MessageReporter().Show(FileFailure(*chosen, read.reason));
        return;
    }
    const ProblemRead& problem = read.problem;
    dim_.FileName = *chosen;

    dim_.Loading = true;
    txtOrder->setEnabled(false);
    txtVarNams->setEnabled(false);
    dim_.MaxError = problem.maxError;
    dim_.Computed = problem.computed;
    dim_.FileEquation = problem.integrand;
    for (std::string& entry : dim_.ConsText)
        entry.clear();
    dim_.NumCons = static_cast<int32_t>(problem.constants.size());
    std::copy(problem.constants.begin(), problem.constants.end(), dim_.ConsText.begin());
    if (dim_.Computed) {
        dim_.FileIntegral = problem.integral;
        lblIntegral->setText(Shown(GeneralNumber(dim_.FileIntegral)));
    }
    dim_.RecreateLevelArrays(problem.order);
    LoadObjects();
    for (int L = 0; L < dim_.Order; ++L) {
        const LevelRecord& level = problem.levels[static_cast<std::size_t>(L)];
        dim_.VarNam[L] = level.name;
        dim_.FileLL[L] = level.lower;
        dim_.FileUL[L] = level.upper;
        dim_.MinSub[L] = level.minSub;
    }
    // The list shows exactly the file's constants, as ConsText holds them.
    cboConstants->clear();
    FillForm();
    mnuOpen->setEnabled(false);
    mnuSave->setEnabled(true);
    mnuSaveAs->setEnabled(true);
    mnuPrint->setVisible(true);
    mnuAbout->setVisible(true);
    dim_.Loading = false;

    txtOrder_LostFocus();
    txtVarNams_LostFocus();
}

void frmVantrel::FillForm() {
    const QString typed = cboConstants->currentText();
    for (int i = 0; i < dim_.NumCons; ++i)
        cboConstants->addItem(Shown(dim_.ConsText[static_cast<std::size_t>(i)]));
    // Adding to an empty list picks its first entry; the text line keeps what it held.
    cboConstants->setCurrentIndex(-1);
    cboConstants->setEditText(typed);
    selectedConstant_ = -1;

    txtOrder->setText(QString::number(dim_.Order));
    txtError->setText(Shown(GeneralNumber(dim_.MaxError)));
    // Disabling the order and names fields passes the focus on to this field before the load
    // fills it: its starting value is the loaded one, or leaving it unchanged would clear the
    // loaded result.
    dim_.PrevMaxError = dim_.MaxError;
    txtEquation->setText(Shown(dim_.FileEquation));
    for (int L = 0; L < dim_.Order; ++L) {
        txtLL[L]->setText(Shown(dim_.FileLL[L]));
        txtUL[L]->setText(Shown(dim_.FileUL[L]));
        txtSubintervals[L]->setText(QString::number(dim_.MinSub[L]));
    }
    dim_.TextBuf.clear();
    for (int L = 0; L < dim_.Order; ++L)
        dim_.TextBuf += (L ? "," : "") + dim_.VarNam[L];
    txtVarNams->setText(Shown(dim_.TextBuf));
}

void frmVantrel::mnuSave_Click() {
    if (dim_.FileName.empty()) {
        const std::optional<std::string> chosen = cdbFile().ShowSave();
        if (!chosen || chosen->empty()) return;
        dim_.FileName = *chosen;
    }
    SaveFile();
}

void frmVantrel::mnuSaveAs_Click() {
    const std::optional<std::string> chosen = cdbFile().ShowSave();
    if (!chosen || chosen->empty()) return;
    dim_.FileName = *chosen;
    SaveFile();
}

void frmVantrel::SaveFile() {
    ProblemToWrite problem;
    problem.order = LeadingNumber(TextOf(*txtOrder));
    problem.maxError = LeadingNumber(TextOf(*txtError));
    problem.computed = ResultShown();
    problem.integrand = TextOf(*txtEquation);
    for (int i = 0; i < cboConstants->count(); ++i)
        problem.constants.push_back(cboConstants->itemText(i).toStdString());
    problem.integral = LeadingNumber(lblIntegral->text().toStdString());
    for (int L = 0; L < dim_.Order; ++L)
        problem.levels.push_back(
            {dim_.VarNam[L], TextOf(*txtLL[L]), TextOf(*txtUL[L]), dim_.MinSub[L]});
    // The file is replaced only once the new one is complete: a failure keeps the old one.
    const std::string reason = WriteProblemFile(dim_.FileName, problem);
    if (!reason.empty()) MessageReporter().Show(FileFailure(dim_.FileName, reason));
}

} // namespace vantrel
