// The limits frame: one column per level up to order 3, above that one level at a time chosen
// on a row of integral signs or with Next and Previous.
#include "ui/frmVantrel.h"

#include "engine/NumberText.h"
#include "ui/IntegralSignLabel.h"
#include "ui/LimitsLayout.h"
#include "ui/Look.h"
#include "ui/Twips.h"

#include <array>

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vantrel {

namespace {

// Runs a handler when a label is clicked.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> clicked)
        : QObject(parent), clicked_(std::move(clicked)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) clicked_();
        return false;
    }

private:
    std::function<void()> clicked_;
};

// The controls of a level that browse mode shows and hides.
std::array<QWidget*, 5> LevelFields(const frmVantrel& w, int L) {
    return {w.lblFunctionOf[L], w.lblOverVar[L], w.txtLL[L], w.txtUL[L], w.txtSubintervals[L]};
}

// Moves a label whose width follows its text, keeping that width.
void PlaceLabel(QLabel& label, int left, int top) {
    const QRect at = TwipsRect(left, top, 0, LevelLabelHeight);
    label.setGeometry(at.x(), at.y(), label.width(), at.height());
}

} // namespace

void frmVantrel::PlaceLevel(int L) {
    const LimitsColumn column = LimitsColumnFor(dim_.Order, L);
    const int s = column.signLeft;
    PlaceTwips(*txtUL[L], column.LimitLeft(), UpperLimitTop, column.limitWidth, LimitFieldHeight);
    PlaceTwips(*txtLL[L], column.LimitLeft(), LowerLimitTop, column.limitWidth, LimitFieldHeight);
    PlaceLabel(*lblFunctionOf[L], column.LimitLeft(), FunctionOfTop);
    PlaceLabel(*lblOverVar[L], column.VariableLeft(), OverVarTop);
    PlaceTwips(*txtSubintervals[L], column.VariableLeft(), SubintervalsTop, SubintervalsWidth,
               SubintervalsHeight);
    if (L < static_cast<int>(lblIntSign.size())) {
        lblIntSign[L]->move(TwipsRect(s, SignTop, 0, 0).topLeft());
        PlaceTwips(*lblSubintervals[L], column.VariableLeft(), SubintervalsCaptionTop,
                   SubintervalsCaptionWidth, SubintervalsCaptionHeight);
        WidenToText(*lblSubintervals[L]);
    }
}

void frmVantrel::ArrangeLimits() {
    // Browse mode shows level 0 in the slot; the other levels come in one at a time.
    const int shownLevels = dim_.Order > MaxColumnOrder ? 1 : dim_.Order;
    for (int L = 0; L < static_cast<int>(txtUL.size()); ++L) {
        if (L < dim_.Order) PlaceLevel(L);
        if (L < shownLevels) continue;
        for (QWidget* control : LevelFields(*this, L))
            control->hide();
        if (L < static_cast<int>(lblIntSign.size())) {
            lblIntSign[L]->hide();
            lblSubintervals[L]->hide();
        }
    }
}

void frmVantrel::SetUpBrowse() {
    const int n = dim_.Order;
    QLabel& model = *lblClickSign[0];
    for (int j = static_cast<int>(lblClickSign.size()); j < n; ++j) {
        auto* sign = new IntegralSignLabel(model.parentWidget());
        sign->setObjectName(QStringLiteral("lblClickSign(%1)").arg(j));
        sign->setFont(model.font());
        sign->setPalette(model.palette());
        sign->setToolTip(model.toolTip());
        sign->resize(model.size());
        SetTextColour(*sign, colour::Black);
        sign->hide();
        lblClickSign.push_back(sign);
    }
    for (QWidget* control : {static_cast<QWidget*>(lblLimits), static_cast<QWidget*>(lblIntegNum),
                             static_cast<QWidget*>(cmdNextLim), static_cast<QWidget*>(cmdPrevLim)})
        control->show();
    for (int j = 0; j < n; ++j) {
        lblClickSign[j]->move(TwipsRect(SignRowLeft(j), SignRowTop, 0, 0).topLeft());
        lblClickSign[j]->installEventFilter(
            new ClickFilter(lblClickSign[j], [this, j] { lblClickSign_Click(j); }));
    }
    SetTextColour(*lblClickSign[n - 1], colour::Red);
}

void frmVantrel::ShowSignRow() {
    for (int j = 0; j < dim_.Order; ++j)
        lblClickSign[j]->show();
    txtClickTip->move(TwipsToPixels(ClickTipLeft), txtClickTip->y());
    txtClickTip->show();
}

int frmVantrel::CurrentIntegrationNumber() const {
    int32_t k = 0;
    RoundToInt32(LeadingNumber(lblIntegNum->text().toStdString()), k);
    return k;
}

void frmVantrel::MarkCurrentSign(int k) {
    const int n = dim_.Order;
    lblIntegNum->setText(QString::number(k));
    WidenToText(*lblIntegNum);
    for (int j = 0; j < n; ++j)
        SetTextColour(*lblClickSign[j], colour::Black);
    SetTextColour(*lblClickSign[n - k], colour::Red);
}

void frmVantrel::EditLimit(int LL) {
    for (int L = 0; L < dim_.Order; ++L)
        for (QWidget* control : LevelFields(*this, L))
            control->hide();
    for (QWidget* control : LevelFields(*this, LL))
        control->show();
    txtUL[LL]->setFocus(Qt::OtherFocusReason);
}

void frmVantrel::cmdNextLim_Click() {
    const int k = CurrentIntegrationNumber();
    const int next = k == dim_.Order ? 1 : k + 1;
    MarkCurrentSign(next);
    EditLimit(next - 1);
}

void frmVantrel::cmdPrevLim_Click() {
    const int k = CurrentIntegrationNumber();
    const int previous = k == 1 ? dim_.Order : k - 1;
    MarkCurrentSign(previous);
    EditLimit(previous - 1);
}

void frmVantrel::lblClickSign_Click(int Index) {
    const int k = dim_.Order - Index;
    MarkCurrentSign(k);
    EditLimit(k - 1);
}

} // namespace vantrel
