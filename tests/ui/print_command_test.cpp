// The Print command: the report's lines, their font, the print dialog, printer failures, and a
// real print to a PDF file read back as text.
#include "EntryFixture.h"

#include "ui/Printer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <string>

using namespace vantrel;
using namespace vantrel::test;

namespace {

// Records what the window asks of it in order, each printed line as it is.
struct FakePrinter : Printer {
    std::string font = "Arial";
    bool accept = true;
    QStringList calls;

    std::string FontName() const override { return font; }
    void SetFontName(const std::string& name) override { Log("font " + (font = name)); }
    bool ShowPrintDialog() override {
        Log("dialog");
        return accept;
    }
    void Print(const std::string& line) override { Log(line); }
    std::string EndDoc() override {
        Log("end");
        return {};
    }
    void Log(const std::string& call) { calls << QString::fromStdString(call); }
    // The calls joined with '|'.
    QString Printed() const { return calls.join('|'); }
};

// The real printer writing a PDF file, with the dialog taken as confirmed.
struct PdfPrinter : QtPrinter {
    explicit PdfPrinter(const QString& file) : QtPrinter(nullptr) {
        Device().setOutputFormat(QPrinter::PdfFormat);
        Device().setOutputFileName(file);
    }
    bool ShowPrintDialog() override { return true; }
    void Print(const std::string& line) override {
        printed << QString::fromStdString(line);
        QtPrinter::Print(line);
    }
    QStringList printed;
};

struct PrintWindow : EntryWindow {
    FakePrinter printer;
    PrintWindow() { w.SetPrinter(printer); }
    void Print() { w.mnuPrint->trigger(); }
};

// The lines with text, as a PDF reader shows them: without blanks at their ends.
QStringList Visible(QString text) {
    text.replace(QRegularExpression(" +(?=[\n\f]|$)"), "");
    QStringList lines = text.split(QRegularExpression("[\n\f]"));
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    return lines;
}

// A tool's standard output, or nothing when it is not installed or fails.
std::optional<QString> Run(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) return std::nullopt;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class PrintCommandTest : public QObject {
    Q_OBJECT
private slots:
    // Limits, integrand and constants come from the fields; order, names, minimums and the
    // maximum error from the state, that is from the last computation.
    void aTripleIntegralWithConstantsAndANegativeResult() {
        PrintWindow e;
        e.EnterProblem("3", "x,y,z");
        e.w.txtEquation->setText("c*x");
        e.AddConstant("c=-2");
        e.EnterLimits({"1", "1", "3"}, {"4", "8", "4"});
        e.Click(e.w.cmdIntegrate);
        QCOMPARE(e.w.lblIntegral->text(), "-3");
        e.w.txtUL[1]->setText("1.0");
        e.w.txtSubintervals[0]->setText("16");
        e.w.txtError->setText("0.5");

        e.Print(); // every line in the report's font, the font given back at the end
        QCOMPARE(e.printer.Printed(), "font Courier New|dialog|"
                                      "    ORDER: 3 |VARIABLES: x,y,z|INTEGRAND:|c*x||"
                                      "CONSTANTS:|c=-2||"
                                      "INTEGRATION # 1 OVER x:|UPPER LIMIT: 1|LOWER LIMIT: 0|"
                                      "MINIMUM # OF SUBINTERVALS: 4 ||"
                                      "INTEGRATION # 2 OVER y:|UPPER LIMIT: 1.0|LOWER LIMIT: 0|"
                                      "MINIMUM # OF SUBINTERVALS: 8 ||"
                                      "INTEGRATION # 3 OVER z:|UPPER LIMIT: 3|LOWER LIMIT: 0|"
                                      "MINIMUM # OF SUBINTERVALS: 4 ||"
                                      "MAXIMUM ERROR: 0.01 ||"
                                      "INTEGRAL= -3 |end|font Arial");
        QVERIFY(e.reporter.shown.empty());
    }

    void beforeTheFirstComputationAndAfterAFailedOne() {
        PrintWindow e;
        e.EnterProblem("1", "x");
        e.Print(); // the error field has not been left yet: nothing handed over
        QCOMPARE(e.printer.Printed(), "font Courier New|dialog|"
                                      "    ORDER: 1 |VARIABLES: x|INTEGRAND:|||"
                                      "INTEGRATION # 1 OVER x:|UPPER LIMIT: 2|LOWER LIMIT: 1|"
                                      "MINIMUM # OF SUBINTERVALS: 0 ||"
                                      "MAXIMUM ERROR: 0 ||end|font Arial");

        e.Tab();
        e.Type("1/x");
        e.w.txtLL[0]->setText("0");
        e.Click(e.w.cmdIntegrate);
        QVERIFY(e.w.lblIntegral->text().isEmpty() && e.dim.Computed);
        e.printer.calls.clear();
        e.Print(); // a failed computation has no result to print
        QVERIFY(e.printer.Printed().contains("|INTEGRAND:|1/x||"));
        QVERIFY(e.printer.Printed().endsWith("|MAXIMUM ERROR: 0.01 ||end|font Arial"));
    }

    void cancelInThePrintDialogPrintsNothing() {
        PrintWindow e;
        e.EnterProblem("2", "x,y");
        e.printer.accept = false;
        e.Print();
        QCOMPARE(e.printer.Printed(), "font Courier New|dialog|font Arial");
        QVERIFY(e.reporter.shown.empty());
    }

    // A long report goes on over several pages; the text read back is the report's lines.
    void aRealPrintToPdfHoldsTheReport() {
        QTemporaryDir folder;
        const QString file = folder.filePath("report.pdf");
        EntryWindow e;
        PdfPrinter printer(file);
        e.w.SetPrinter(printer);
        e.EnterProblem("10", "a,b,c,d,e,f,g,h,i,j");
        e.w.txtEquation->setText("a*j");
        for (int i = 0; i < 60; ++i)
            e.AddConstant(QStringLiteral("c%1=%1.5").arg(i));
        const std::string fontBefore = printer.FontName();
        e.w.mnuPrint->trigger();
        QVERIFY(e.reporter.shown.empty());
        QCOMPARE(printer.FontName(), fontBefore);
        QCOMPARE(printer.printed.size(), 5 + 62 + 50 + 2);

        const std::optional<QString> text = Run("pdftotext", {"-layout", file, "-"});
        if (!text) QSKIP("pdftotext is not installed");
        QVERIFY2(text->trimmed().count('\f') >= 1, "one page only");
        QCOMPARE(Visible(*text), Visible(printer.printed.join('\n')));
        QCOMPARE(Visible(*text).front(), "    ORDER: 10");

        if (const auto fonts = Run("pdffonts", {file}))
            QVERIFY2(fonts->contains("Mono") || fonts->contains("Courier"), qPrintable(*fonts));
    }

    void aPrinterFailureIsReportedAndPrintingGoesOn() {
        QTemporaryDir folder;
        const QString file = folder.filePath("no-such-folder/report.pdf");
        EntryWindow e;
        PdfPrinter printer(file);
        e.w.SetPrinter(printer);
        e.EnterProblem("1", "x");
        const std::string fontBefore = printer.FontName();
        e.w.mnuPrint->trigger();
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(e.reporter.shown[0].text),
                 "The report could not be printed.\rThe document cannot be started on the file \"" +
                     file + "\".");
        QCOMPARE(e.reporter.shown[0].title, std::string(AppTitle));
        QCOMPARE(printer.FontName(), fontBefore);
        QVERIFY(!QFile::exists(file));

        printer.Device().setOutputFileName(folder.filePath("report.pdf"));
        e.w.mnuPrint->trigger();
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QVERIFY(QFile::exists(folder.filePath("report.pdf")));
    }
};

QTEST_MAIN(PrintCommandTest)
#include "print_command_test.moc"
