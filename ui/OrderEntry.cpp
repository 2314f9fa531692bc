// The order and variable-names fields: what they accept and what accepting them does.
#include "ui/frmVantrel.h"

#include "ui/EntryRules.h"
#include "ui/LimitsLayout.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace vantrel {

namespace {

// A level label or the integrand label showing text, sized to it.
void ShowCaption(QLabel& label, const std::string& text) {
    label.setTextFormat(Qt::PlainText); // names may hold any characters
    label.setText(QString::fromStdString(text));
    label.resize(label.sizeHint().width(), label.height());
}

// A new level's copy of a level-0 control: same parent, font, colours, tool tip and size,
// hidden; the caller places it.
template <typename Widget> Widget* CopyOf(const Widget& model, const char* name, int level) {
    auto* copy = new Widget(model.parentWidget());
    copy->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(level));
    copy->setFont(model.font());
    copy->setPalette(model.palette());
    copy->setAutoFillBackground(model.autoFillBackground());
    copy->setToolTip(model.toolTip());
    copy->resize(model.size());
    copy->hide();
    return copy;
}

QLineEdit* FieldCopy(const QLineEdit& model, const char* name, int level, const char* text) {
    QLineEdit* field = CopyOf(model, name, level);
    field->setText(QString::fromLatin1(text));
    return field;
}

QLabel* LabelCopy(const QLabel& model, const char* name, int level) {
    QLabel* label = CopyOf(model, name, level);
    label->setFrameStyle(model.frameStyle());
    return label;
}

} // namespace

void frmVantrel::txtOrder_Validate(bool& Cancel) {
    const auto order = AcceptedOrder(txtOrder->text().toStdString());
    if (!order) {
        Cancel = true;
        return;
    }
    dim_.RecreateLevelArrays(*order);
}

void frmVantrel::txtOrder_LostFocus() {
    txtOrder->setEnabled(false);
    mnuOpen->setEnabled(false);
    if (dim_.Order > MaxColumnOrder) dim_.ManyLevels = true;
    if (txtVarNams->isEnabled()) txtVarNams->setFocus(Qt::OtherFocusReason);
    if (dim_.ManyLevels) SetUpBrowse();
    ArrangeLimits();
    FrmMain->show();
}

void frmVantrel::txtVarNams_Validate(bool& Cancel) {
    if (dim_.Loading) return;
    dim_.VarNam = SplitNames(txtVarNams->text().toStdString());
    if (!NamesFitOrder(dim_.VarNam, dim_.Order)) Cancel = true;
}

void frmVantrel::txtVarNams_LostFocus() {
    const int n = dim_.Order;
    if (txtVarNams->isEnabled()) LoadObjects();
    if (dim_.ManyLevels) ShowSignRow();
    txtVarNams->setEnabled(false);
    for (int L = n - 1; L >= 0; --L) {
        ShowCaption(*lblOverVar[L], dim_.VarNam[L]);
        ShowCaption(*lblFunctionOf[L], FunctionOfCaption(dim_.VarNam, L));
    }
    ShowCaption(*lblEquation, FunctionCaption(dim_.VarNam));
    mnuSave->setEnabled(true);
    mnuSaveAs->setEnabled(true);
    mnuPrint->setVisible(true);
    mnuAbout->setVisible(true);
}

void frmVantrel::LoadObjects() {
    for (int L = static_cast<int>(txtUL.size()); L < dim_.Order; ++L) {
        txtSubintervals.push_back(FieldCopy(*txtSubintervals[0], "txtSubintervals", L, "4"));
        txtUL.push_back(FieldCopy(*txtUL[0], "txtUL", L, "2"));
        txtLL.push_back(FieldCopy(*txtLL[0], "txtLL", L, "1"));
        lblFunctionOf.push_back(LabelCopy(*lblFunctionOf[0], "lblFunctionOf", L));
        lblOverVar.push_back(LabelCopy(*lblOverVar[0], "lblOverVar", L));
        PlaceLevel(L);
        WatchLevel(L);
    }
    ApplyFocusOrder();
}

} // namespace vantrel
