// Open, Save and Save As through the window, with the file dialog answering from a list.
#include "FileFixture.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <sys/stat.h>

using namespace vantrel;
using namespace vantrel::test;

namespace {

// A double integral of k*u over the unit square, with its value and two constants.
const std::string TwoLevelFile = "Vantrel\r\n"
                                 "2,1E-05,#TRUE#,\"k*u\"\r\n"
                                 " 2 \r\n"
                                 "k=-1\r\n"
                                 "m=3\r\n"
                                 "-0.5 \r\n"
                                 "\"u\",\"0\",\"1\",6\r\n"
                                 "\"v\",\"0\",\"1\",10\r\n";

// A list shows its entries, then the text in its edit line.
QString TextOf(QWidget* widget) {
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        return entries.join('|') + " / " + combo->currentText();
    }
    const QVariant text = widget->property("text");
    return text.isValid() ? text.toString() : widget->property("plainText").toString();
}

QStringList TextsOf(std::initializer_list<QWidget*> widgets) {
    QStringList texts;
    for (QWidget* widget : widgets)
        texts << TextOf(widget);
    return texts;
}

template <typename Texts> QString Joined(const Texts& texts) {
    QStringList list;
    for (const std::string& text : texts)
        list << QString::fromStdString(text);
    return list.join('|');
}

// Everything a failed command must leave as it was: every named control with its text, place,
// visibility and enabled state, the menus, the focus and the problem state.
QStringList Snapshot(FileWindow& e) {
    QStringList items;
    for (QWidget* widget : e.w.findChildren<QWidget*>()) {
        const QRect r = widget->geometry();
        if (!widget->objectName().isEmpty())
            items << widget->objectName() + " [" + TextOf(widget) + "] " +
                         QString::asprintf("%d,%d,%d,%d v%d e%d", r.x(), r.y(), r.width(),
                                           r.height(), widget->isVisible(), widget->isEnabled());
    }
    for (QAction* item : e.w.findChildren<QAction*>())
        if (!item->objectName().isEmpty())
            items << item->objectName() +
                         QString::asprintf(" v%d e%d", item->isVisible(), item->isEnabled());
    const Dimension& d = e.dim;
    QStringList minimums;
    for (int32_t m : d.MinSub)
        minimums << QString::number(m);
    return items << "focus " + EntryWindow::Focus()->objectName()
                 << QString::asprintf("order %d %d %.17g flags %d %d %d", d.Order, d.LastLevel,
                                      d.MaxError, d.Computed, d.Loading, d.ManyLevels)
                 << QString::asprintf("file [%s] [%s] %.17g constants %d", d.FileName.c_str(),
                                      d.FileEquation.c_str(), d.FileIntegral, d.NumCons)
                 << Joined(d.ConsText) << Joined(d.VarNam) << Joined(d.FileLL) << Joined(d.FileUL)
                 << minimums.join(',');
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void aTypedProblemIsSavedLineByLine() {
        FileWindow e;
        e.EnterProblem("3", "x,y,z");
        e.w.txtEquation->setText("a*x*y*z");
        e.AddConstant("a=2");
        e.EnterLimits({"1", "2", "1"}, {"4", "8", "4"});
        e.Click(e.w.cmdIntegrate);
        QCOMPARE(e.w.lblIntegral->text(), "1");

        const std::string path = e.Path("typed.vin");
        e.Choose(e.w.mnuSave, path);
        QCOMPARE(e.dialog.saves, 1);
        QCOMPARE(Bytes(path), "Vantrel\r\n"
                              "3,0.01,#TRUE#,\"a*x*y*z\"\r\n"
                              " 1 \r\n"
                              "a=2\r\n"
                              " 1 \r\n"
                              "\"x\",\"0\",\"1\",4\r\n"
                              "\"y\",\"0\",\"2\",8\r\n"
                              "\"z\",\"0\",\"1\",4\r\n");
        QVERIFY(e.reporter.shown.empty());
    }

    // Subinterval minimums come from the state, which only Integrate and Open fill; the order
    // is written as typed and read back rounded.
    void aProblemSavedBeforeItsFirstComputationHasNoMinimums() {
        FileWindow e;
        e.EnterProblem("3.5", "a,b,c,d");
        e.w.txtEquation->setText("a+d");
        const std::string path = e.Path("fresh.vin");
        e.Choose(e.w.mnuSaveAs, path);
        std::string expected = "Vantrel\r\n3.5,0.01,#FALSE#,\"a+d\"\r\n 0 \r\n";
        for (const char* name : {"a", "b", "c", "d"})
            expected += std::string("\"") + name + "\",\"1\",\"2\",0\r\n";
        QCOMPARE(Bytes(path), expected);

        // Opened again: no result, no constants, and more levels than the window shows at once.
        FileWindow reopened;
        reopened.AddConstant("b=1");
        reopened.Open(path);
        frmVantrel& w = reopened.w;
        QCOMPARE(TextsOf({w.txtOrder, w.txtSubintervals[0], w.lblOverVar[3], w.txtLL[3], w.txtUL[3],
                          w.txtSubintervals[3], w.lblIntegral, w.cboConstants}),
                 (QStringList{"4", "0", "d", "1", "2", "0", "", " / "}));
        QVERIFY(reopened.dim.ManyLevels && w.cmdNextLim->isVisible());
        QVERIFY(!reopened.dim.Computed && reopened.dim.NumCons == 0);
    }

    void openFillsEveryFieldLabelListAndMenu() {
        FileWindow e;
        e.AddConstant("b=1"); // typed before Open: the list then shows exactly the file's
        e.OpenBytes(TwoLevelFile);
        QVERIFY(e.reporter.shown.empty());
        frmVantrel& w = e.w;
        QCOMPARE(TextsOf({w.txtOrder, w.txtVarNams, w.txtError, w.txtEquation, w.lblEquation,
                          w.lblIntegral, w.cboConstants}),
                 (QStringList{"2", "u,v", "1E-05", "k*u", "f(u,v)", "-0.5", "k=-1|m=3 / "}));
        QCOMPARE(TextsOf({w.lblOverVar[0], w.txtUL[0], w.txtLL[0], w.txtSubintervals[0],
                          w.lblFunctionOf[0], w.lblOverVar[1], w.txtUL[1], w.txtLL[1],
                          w.txtSubintervals[1], w.lblFunctionOf[1]}),
                 (QStringList{"u", "1", "0", "6", "f(v)", "v", "1", "0", "10", "Constants"}));
        QVERIFY(w.FrmMain->isVisible() && w.txtUL[0]->isVisible() && w.txtUL[1]->isVisible());
        QVERIFY(!w.txtUL[2]->isVisible());
        QVERIFY(!w.txtOrder->isEnabled() && !w.txtVarNams->isEnabled());
        QVERIFY(!w.mnuOpen->isEnabled() && w.mnuSave->isEnabled() && w.mnuSaveAs->isEnabled());
        QVERIFY(w.mnuPrint->isVisible() && w.mnuAbout->isVisible());
        QVERIFY(e.dim.Computed && !e.dim.Loading);

        // The focus went on to the error field during the load; leaving it unchanged keeps the
        // loaded result, and the opened problem computes like a typed one.
        QCOMPARE(EntryWindow::Focus(), w.txtError);
        e.Tab();
        QCOMPARE(w.lblIntegral->text(), "-0.5");
        e.Click(w.cmdIntegrate);
        QCOMPARE(w.lblIntegral->text(), "-0.5");
        QVERIFY(e.reporter.shown.empty());
    }

    // A name cancelled or chosen stays for Save; a Save that asked would count here.
    void saveAfterOpenWritesTheSameFileAndSaveAsAlwaysAsks() {
        FileWindow e;
        e.OpenBytes(TwoLevelFile);
        const std::string opened = e.Path("opened.vin"), copy = e.Path("copy.vin");
        WriteBytes(opened, "overwritten");
        e.w.mnuSave->trigger();
        QCOMPARE(Bytes(opened), TwoLevelFile);

        e.Choose(e.w.mnuSaveAs, copy);
        QCOMPARE(Bytes(copy), TwoLevelFile);
        e.Choose(e.w.mnuSaveAs, std::nullopt);
        e.w.txtEquation->setText("2*k*u"); // clears the result
        e.w.mnuSave->trigger();
        QCOMPARE(e.dialog.saves, 2);
        QVERIFY(Bytes(copy).find("2,1E-05,#FALSE#,\"2*k*u\"\r\n") != std::string::npos);
        QCOMPARE(Bytes(opened), TwoLevelFile);
    }

    void cancelledDialogsChangeNothing() {
        FileWindow e;
        QStringList before = Snapshot(e);
        e.Choose(e.w.mnuOpen, std::nullopt);
        QCOMPARE(Snapshot(e), before);
        e.EnterProblem("1", "x");
        before = Snapshot(e);
        e.Choose(e.w.mnuSave, std::nullopt);
        QCOMPARE(Snapshot(e), before);
        QCOMPARE(e.dialog.opens + e.dialog.saves, 2);
        QVERIFY(QDir(e.folder.path()).isEmpty());
    }

    void openFailuresLeaveTheWindowAsItWas_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("header")
            << QByteArray("vantrel\r\n1,0.01,#FALSE#,\"x\"\r\n 0 \r\n\"x\",\"0\",\"1\",4\r\n")
            << "Incompatible file";
        QTest::newRow("no such file")
            << QByteArray() << "The file cannot be opened: No such file or directory.";
        QTest::newRow("fifo") << QByteArray("FIFO") // without a writer: opening it would block
                              << "The file cannot be opened: it is a FIFO, not a regular file.";
        QTest::newRow("order 11") << QByteArray("Vantrel\r\n11,0.01,#FALSE#,\"x\"\r\n 0 \r\n")
                                  << "Line 2: the order must be from 1 to 10.";
        QTest::newRow("ends early")
            << QByteArray("Vantrel\r\n2,0.01,#FALSE#,\"x\"\r\n 0 \r\n\"x\",\"0\",\"1\",4\r\n")
            << "The file ends early: line 5 should hold the variable name of integration #2.";
        QTest::newRow("flag") << QByteArray("Vantrel\r\n1,0.01,yes,\"x\"\r\n")
                              << "Line 2: the result flag is neither #TRUE# nor #FALSE#.";
        QByteArray many = "Vantrel\r\n1,0.01,#FALSE#,\"x\"\r\n 102 \r\n";
        for (int i = 0; i < 102; ++i)
            many += "c" + QByteArray::number(i) + "=1\r\n";
        QTest::newRow("102 constants") << many << "Line 3: there are more than 101 constants.";
    }
    void openFailuresLeaveTheWindowAsItWas() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        FileWindow e;
        e.AddConstant("b=1");
        e.w.txtEquation->setText("b*x");
        const std::string path = e.Path("bad.vin");
        if (bytes == "FIFO")
            QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
        else if (!bytes.isEmpty())
            WriteBytes(path, bytes.toStdString());
        const QStringList before = Snapshot(e);

        e.Open(path);
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        const Message& shown = e.reporter.shown[0];
        QCOMPARE(shown.title, std::string(AppTitle));
        QCOMPARE(shown.buttons, MsgButtons::OK);
        const bool incompatible = message == "Incompatible file";
        QCOMPARE(QString::fromStdString(shown.text),
                 incompatible ? message : QString::fromStdString(path) + "\r" + message);
        if (incompatible) QCOMPARE(shown.icon, MsgIcon::None);
        QCOMPARE(Snapshot(e), before); // no file name kept either: a later Save asks for one

        // Open is still there and works.
        e.OpenBytes(TwoLevelFile);
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(e.w.txtOrder->text(), "2");
    }

    // The storage keeps the previous file; the window shows why and lets Save try again.
    void aFailedSaveIsReported() {
        FileWindow e;
        e.OpenBytes(TwoLevelFile);
        const std::string nowhere = e.Path("no-such-folder/x.vin");
        e.Choose(e.w.mnuSaveAs, nowhere);
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(e.reporter.shown[0].text,
                 nowhere + "\rThe file cannot be created: No such file or directory.");
        QCOMPARE(e.w.txtOrder->text(), "2"); // the window stays as it was
        e.w.mnuSave->trigger();              // and the same name is tried again
        QCOMPARE(e.reporter.shown.size(), std::size_t(2));
        QCOMPARE(e.dialog.saves, 1);
    }

    // Qt's dialog takes a name as given: no default extension, no question before replacing a
    // file and no check that a file to open exists; Cancel gives back nothing.
    void theQtDialogTakesANameAsGiven() {
        QTemporaryDir folder;
        const QString existing = folder.filePath("kept"), missing = folder.filePath("missing");
        WriteBytes(existing.toStdString(), "old");
        QtFileDialog cdbFile(nullptr);
        // Each dialog is answered once it runs, as with its own button; a question fails.
        auto answer = [](std::optional<QString> name) {
            QTimer::singleShot(0, [name] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                if (!name) return dialog->reject();
                dialog->selectFile(*name);
                QTimer::singleShot(0, dialog, [dialog] { // a question would run inside accept
                    if (auto* question =
                            qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        question->close();
                        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
                        QFAIL("the dialog asked a question");
                    }
                });
                static_cast<QDialog*>(dialog)->accept();
            });
        };
        answer(std::nullopt);
        QCOMPARE(cdbFile.ShowOpen(), std::nullopt);
        answer(missing);
        QCOMPARE(cdbFile.ShowOpen(), missing.toStdString());
        answer(existing);
        QCOMPARE(cdbFile.ShowSave(), existing.toStdString());
        QCOMPARE(Bytes(existing.toStdString()), std::string("old"));
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
