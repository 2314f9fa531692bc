// The maximum-error and integrand fields: what they refuse and which edits clear a shown result.
#include "ui/frmVantrel.h"

#include "engine/NumberText.h"

#include <QLineEdit>

namespace vantrel {

namespace {
double NumberIn(const QLineEdit& field) {
    return LeadingNumber(field.text().toStdString());
}
} // namespace

void frmVantrel::txtError_GotFocus() {
    txtError->selectAll();
    dim_.PrevMaxError = NumberIn(*txtError);
}

void frmVantrel::txtError_Validate(bool& Cancel) {
    if (!(NumberIn(*txtError) > 0)) Cancel = true;
}

void frmVantrel::txtError_LostFocus() {
    dim_.MaxError = NumberIn(*txtError);
    if (dim_.MaxError < dim_.PrevMaxError) ClearIntegral();
}

void frmVantrel::txtEquation_Validate(bool& Cancel) {
    if (txtEquation->text().isEmpty()) Cancel = true;
}

void frmVantrel::txtEquation_Change() {
    ClearIntegral();
}

} // namespace vantrel
