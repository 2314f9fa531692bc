// The printer as the Print command uses it: a current font name, the print dialog, lines of
// text from the top of the page downwards, and the end of the document.
#pragma once

#include <QFont>
#include <QPrinter>

#include <memory>
#include <string>

class QPainter;
class QWidget;

namespace vantrel {

class Printer {
public:
    virtual ~Printer() = default;
    virtual std::string FontName() const = 0;
    // Changes the face only; size, weight and the other attributes stay.
    virtual void SetFontName(const std::string& name) = 0;
    // The print dialog; false when the user cancels it.
    virtual bool ShowPrintDialog() = 0;
    // One line at the left edge of the printable area, below the previous one.
    virtual void Print(const std::string& line) = 0;
    // Hands the job to the printer. Returns an empty text, or what went wrong with the job.
    virtual std::string EndDoc() = 0;
};

// QPrinter with Qt's print dialog and a QPainter for the lines. A line that does not fit on
// the page any more starts a new page. The printer keeps its settings from one job to the next.
class QtPrinter : public Printer {
public:
    explicit QtPrinter(QWidget* owner);
    ~QtPrinter() override;

    QPrinter& Device() { return printer_; }

    std::string FontName() const override;
    void SetFontName(const std::string& name) override;
    bool ShowPrintDialog() override;
    void Print(const std::string& line) override;
    std::string EndDoc() override;

private:
    bool BeginDocument();

    QWidget* owner_;
    QPrinter printer_;
    QFont font_;
    std::unique_ptr<QPainter> painter_; // while a document is open
    double top_ = 0;                    // where the next line starts, in device pixels
    std::string failure_;               // the first failure of the open document
};

} // namespace vantrel
