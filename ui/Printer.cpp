#include "ui/Printer.h"

#include "ui/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>

namespace vantrel {

namespace {
constexpr double DefaultPoints = 10;
const char* const CourierNew = "Courier New";

// What went wrong, and on which printer or file.
std::string Trouble(const char* what, const QPrinter& printer) {
    const QString where = printer.outputFormat() == QPrinter::PdfFormat
                              ? QStringLiteral("the file \"%1\"").arg(printer.outputFileName())
                              : QStringLiteral("the printer \"%1\"").arg(printer.printerName());
    return (QLatin1String(what) + QLatin1Char(' ') + where + QLatin1Char('.')).toStdString();
}
} // namespace

QtPrinter::QtPrinter(QWidget* owner) : owner_(owner), printer_(QPrinter::HighResolution) {
    font_.setPointSizeF(DefaultPoints);
}

QtPrinter::~QtPrinter() {
    if (painter_) painter_->end();
}

std::string QtPrinter::FontName() const {
    return font_.families().value(0, font_.family()).toStdString();
}

void QtPrinter::SetFontName(const std::string& name) {
    // The classic face comes with free faces of the same metrics where it is not installed.
    if (name == CourierNew)
        font_.setFamilies(CourierNewFont(DefaultPoints).families());
    else
        font_.setFamilies({QString::fromStdString(name)});
}

bool QtPrinter::ShowPrintDialog() {
    QPrintDialog dialog(&printer_, owner_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrinter::BeginDocument() {
    painter_ = std::make_unique<QPainter>();
    if (painter_->begin(&printer_)) {
        top_ = 0;
        return true;
    }
    painter_.reset();
    failure_ = Trouble("The document cannot be started on", printer_);
    return false;
}

void QtPrinter::Print(const std::string& line) {
    if (!failure_.empty() || (!painter_ && !BeginDocument())) return;
    painter_->setFont(font_);
    const QFontMetricsF metrics(font_, &printer_);
    if (top_ > 0 && top_ + metrics.height() > printer_.height()) {
        if (!printer_.newPage()) {
            failure_ = Trouble("A new page cannot be started on", printer_);
            return;
        }
        top_ = 0;
    }
    painter_->drawText(QPointF(0, top_ + metrics.ascent()), QString::fromStdString(line));
    top_ += metrics.lineSpacing();
}

std::string QtPrinter::EndDoc() {
    std::string reason = std::move(failure_);
    failure_.clear();
    if (painter_ && !painter_->end() && reason.empty())
        reason = Trouble("The document cannot be finished on", printer_);
    painter_.reset();
    return reason;
}

} // namespace vantrel
