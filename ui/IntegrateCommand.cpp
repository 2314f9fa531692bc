// The Integrate command: the fields into the state, the constants into the engine, the
// computation, and its value in the result label, in the order the engine gives them.
#include "ui/frmVantrel.h"

#include "engine/IntegrateCommand.h"
#include "engine/Integrator.h"
#include "engine/NumberText.h"
#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace vantrel {

namespace {

// The hourglass for as long as the command runs, however it ends.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

std::string TextOf(const QLineEdit& field) {
    return field.text().toStdString();
}

} // namespace

void frmVantrel::cmdIntegrate_Click() {
    const int n = dim_.Order;
    if (n < 1 || static_cast<int>(txtUL.size()) < n) return; // no problem entered yet
    // Every minimum must fit the state before anything is computed.
    std::vector<int32_t> minSub(static_cast<std::size_t>(n));
    for (int L = 0; L < n; ++L)
        if (!RoundToInt32(LeadingNumber(TextOf(*txtSubintervals[L])), minSub[L])) {
            MessageReporter().Show({AppTitle,
                                    "The minimum number of subintervals of Integration #" +
                                        std::to_string(L + 1) + " is out of range.",
                                    MsgIcon::Exclamation, MsgButtons::OK});
            ShowSubintervals(L);
            return;
        }

    WaitCursor wait;
    std::vector<std::string> constants;
    for (int i = 0; i < cboConstants->count(); ++i)
        constants.push_back(cboConstants->itemText(i).toStdString());
    const std::optional<double> value = Integrate(dim_, ScriptControl1, constants, ierr,
                                                  {.readProblem =
                                                       [&] {
                                                           ReadProblem();
                                                           dim_.MinSub = minSub;
                                                       },
                                                   .clearResult = [this] { ClearIntegral(); },
                                                   .compute = [this] { Compute(); }});
    if (value) lblIntegral->setText(QString::fromStdString(GeneralNumber(*value)));
    dim_.Computed = true;
}

void frmVantrel::ShowSubintervals(int L) {
    if (dim_.ManyLevels) {
        MarkCurrentSign(L + 1);
        EditLimit(L);
    }
    txtSubintervals[L]->setFocus(Qt::OtherFocusReason);
}

void frmVantrel::ReadProblem() {
    dim_.Equation = TextOf(*txtEquation);
    for (int L = 0; L < dim_.Order; ++L) {
        dim_.LLText[L] = TextOf(*txtLL[L]);
        dim_.ULText[L] = TextOf(*txtUL[L]);
    }
    dim_.MaxError = LeadingNumber(TextOf(*txtError));
}

void frmVantrel::ClearIntegral() {
    if (dim_.Loading) return;
    lblIntegral->setText(QString());
    dim_.Computed = false;
}

void frmVantrel::Compute() {
    Integrator integrator(dim_, ScriptControl1, MessageReporter(), ierr);
    ComputationProgress progress(*this, now_);
    integrator.SetProgressPoll([&progress](uint64_t evaluations) { return progress(evaluations); });
    integrator.Compute();
}

} // namespace vantrel
