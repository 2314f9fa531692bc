// The Print command: the problem and its result as a text report on the printer.
#include "ui/frmVantrel.h"

#include "engine/NumberText.h"
#include "io/Report.h"
#include "ui/Printer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace vantrel {

Printer& frmVantrel::ThePrinter() {
    if (!printer_) {
        ownPrinter_ = std::make_unique<QtPrinter>(this);
        printer_ = ownPrinter_.get();
    }
    return *printer_;
}

void frmVantrel::mnuPrint_Click() {
    ReportInput report;
    report.order = dim_.Order;
    report.varNames = dim_.VarNam;
    report.integrand = txtEquation->text().toStdString();
    report.listConstants = dim_.NumCons != 0;
    for (int i = 0; i < cboConstants->count(); ++i)
        report.constants.push_back(cboConstants->itemText(i).toStdString());
    for (int L = 0; L < dim_.Order; ++L)
        report.levels.push_back({dim_.VarNam[L], txtUL[L]->text().toStdString(),
                                 txtLL[L]->text().toStdString(), dim_.MinSub[L]});
    report.maxError = dim_.MaxError;
    report.computed = ResultShown();
    report.integral = LeadingNumber(lblIntegral->text().toStdString());

    Printer& printer = ThePrinter();
    const std::string fontName = printer.FontName();
    printer.SetFontName("Courier New");
    std::string failure;
    // Cancel in the print dialog prints nothing.
    if (printer.ShowPrintDialog()) {
        for (const std::string& line : ReportLines(report))
            printer.Print(line);
        failure = printer.EndDoc();
    }
    printer.SetFontName(fontName);
    if (!failure.empty())
        MessageReporter().Show({AppTitle, "The report could not be printed.\r" + failure,
                                MsgIcon::Exclamation, MsgButtons::OK});
}

} // namespace vantrel
