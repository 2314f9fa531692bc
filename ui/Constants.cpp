// The frame of user constants: the table ConsText and the list of cboConstants change together.
#include "ui/frmVantrel.h"

#include "io/ConstantTable.h"

#include <QComboBox>
#include <QPushButton>

namespace vantrel {

void frmVantrel::cmdAddCons_Click() {
    const std::string text = cboConstants->currentText().toStdString();
    const AddOutcome outcome = AddConstant(dim_, text);
    switch (outcome.status) {
    case AddOutcome::Status::Ignored:
        return;
    case AddOutcome::Status::CannotBeSaved:
    case AddOutcome::Status::TableFull:
        MessageReporter().Show(
            {AppTitle, RefusalMessage(outcome.status), MsgIcon::Exclamation, MsgButtons::OK});
        return;
    case AddOutcome::Status::Added:
        break;
    }
    if (outcome.replaced >= 0) cboConstants->removeItem(outcome.replaced);
    cboConstants->addItem(QString::fromStdString(text));
    cboConstants->setCurrentIndex(-1);
    selectedConstant_ = -1;
    cboConstants->setEditText(QString());
    cboConstants_Change();
}

void frmVantrel::cboConstants_KeyPress(int KeyAscii) {
    if (KeyAscii == 13) cmdAddCons->click();
}

void frmVantrel::cboConstants_Change() {
    ClearIntegral();
}

void frmVantrel::cmdRemCons_Click() {
    const int k = selectedConstant_;
    if (k < 0 || k >= dim_.NumCons) return;
    const std::string statement = RemoveConstant(dim_, k);
    // A name the script language keeps for itself is reported by the engine's Error event; the
    // entry goes all the same, since no statement could ever have given it a value.
    try {
        ScriptControl1.ExecuteStatement(statement);
    } catch (const ScriptFailure&) {
    }
    cboConstants->removeItem(k);
    cboConstants->setCurrentIndex(-1);
    selectedConstant_ = -1;
}

} // namespace vantrel
