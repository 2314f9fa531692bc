#include "ui/Printer.h"

#include "ui/Fonts.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrintDialog>

namespace vantrel {

namespace {
constexpr double DefaultPoints = 10;
const char* const CourierNew = "Courier New";

QString Describe(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("the file \"%1\"").arg(printer.outputFileName());
    return QStringLiteral("the printer \"%1\"").arg(printer.printerName());
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
    failure_ = (QStringLiteral("The document cannot be started on %1.").arg(Describe(printer_)))
                   .toStdString();
    return false;
}

void QtPrinter::Print(const std::string& line) {
    if (!failure_.empty() || (!painter_ && !BeginDocument())) return;
    painter_->setFont(font_);
    const QFontMetricsF metrics(font_, &printer_);
    if (top_ > 0 && top_ + metrics.height() > printer_.height()) {
        if (!printer_.newPage()) {
            failure_ = (QStringLiteral("A new page cannot be started on %1.").arg(Describe(printer_)))
                           .toStdString();
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
        reason = (QStringLiteral("The document cannot be finished on %1.").arg(Describe(printer_)))
                     .toStdString();
    painter_.reset();
    return reason;
}

} // namespace vantrel
