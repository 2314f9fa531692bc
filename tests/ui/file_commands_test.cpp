// Open, Save and Save As through the window, with the file dialog answering from a list.
#include "FileFixture.h"

#include "engine/NumberText.h"
#include "ui/EntryRules.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>

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

QString TextOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* field = qobject_cast<QLineEdit*>(widget)) return field->text();
    if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
    if (auto* tip = qobject_cast<QPlainTextEdit*>(widget)) return tip->toPlainText();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        return entries.join('|') + " / " + combo->currentText();
    }
    return {};
}

QString Joined(const std::vector<std::string>& texts) {
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
        if (widget->objectName().isEmpty()) continue;
        const QRect at = widget->geometry();
        items << QStringLiteral("%1 [%2] %3,%4,%5,%6 v%7 e%8")
                     .arg(widget->objectName(), TextOf(widget))
                     .arg(at.x())
                     .arg(at.y())
                     .arg(at.width())
                     .arg(at.height())
                     .arg(widget->isVisible())
                     .arg(widget->isEnabled());
    }
    for (QAction* item : e.w.findChildren<QAction*>())
        if (!item->objectName().isEmpty())
            items << QStringLiteral("%1 v%2 e%3")
                         .arg(item->objectName())
                         .arg(item->isVisible())
                         .arg(item->isEnabled());
    const Dimension& d = e.dim;
    items << QStringLiteral("focus %1").arg(EntryWindow::Focus()->objectName())
          << QStringLiteral("order %1 %2 %3").arg(d.Order).arg(d.LastLevel).arg(d.MaxError)
          << QStringLiteral("flags %1 %2 %3").arg(d.Computed).arg(d.Loading).arg(d.ManyLevels)
          << QStringLiteral("file [%1] [%2] %3")
                 .arg(QString::fromStdString(d.FileName), QString::fromStdString(d.FileEquation))
                 .arg(d.FileIntegral)
          << QStringLiteral("constants %1 %2")
                 .arg(d.NumCons)
                 .arg(Joined({d.ConsText.begin(), d.ConsText.end()}))
          << "names " + Joined(d.VarNam) << "lower " + Joined(d.FileLL)
          << "upper " + Joined(d.FileUL);
    QStringList minimums;
    for (int32_t m : d.MinSub)
        minimums << QString::number(m);
    items << "minimums " + minimums.join(',');
    return items;
}

QString Text(const Message& message) {
    return QString::fromStdString(message.text);
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
        const std::string result = e.w.lblIntegral->text().toStdString();
        QCOMPARE(result, std::string("1"));

        const std::string path = e.Path("typed.vin");
        e.Choose(e.w.mnuSave, path);
        QCOMPARE(e.dialog.saves, 1);
        QCOMPARE(Bytes(path), "Vantrel\r\n"
                              "3,0.01,#TRUE#,\"a*x*y*z\"\r\n"
                              " 1 \r\n"
                              "a=2\r\n"
                              " " +
                                  result +
                                  " \r\n"
                                  "\"x\",\"0\",\"1\",4\r\n"
                                  "\"y\",\"0\",\"2\",8\r\n"
                                  "\"z\",\"0\",\"1\",4\r\n");
        QCOMPARE(e.dim.FileName, path);
        QVERIFY(e.reporter.shown.empty());
        // Nothing in the window changes after a save.
        QCOMPARE(e.w.lblIntegral->text().toStdString(), result);
        QVERIFY(e.dim.Computed);
        QVERIFY(e.w.mnuSave->isEnabled() && e.w.mnuSaveAs->isEnabled());
    }

    // Subinterval minimums come from the state, which only Integrate and Open fill; the order
    // is written as typed and read back rounded.
    void aProblemSavedBeforeItsFirstComputationHasNoMinimums() {
        FileWindow e;
        e.EnterProblem("3.5", "a,b,c,d");
        e.w.txtEquation->setText("a+d");
        const std::string path = e.Path("fresh.vin");
        e.Choose(e.w.mnuSaveAs, path);
        QCOMPARE(e.dialog.saves, 1);
        std::string expected = "Vantrel\r\n3.5,0.01,#FALSE#,\"a+d\"\r\n 0 \r\n";
        for (const char* name : {"a", "b", "c", "d"})
            expected += std::string("\"") + name + "\",\"1\",\"2\",0\r\n";
        QCOMPARE(Bytes(path), expected);

        FileWindow reopened;
        reopened.Open(path);
        QCOMPARE(reopened.dim.Order, 4);
        QCOMPARE(reopened.w.txtOrder->text(), "4");
        for (int L = 0; L < 4; ++L)
            QCOMPARE(reopened.w.txtSubintervals[L]->text(), "0");
        QCOMPARE(reopened.w.lblIntegral->text(), "");
        QVERIFY(!reopened.dim.Computed);
    }

    void openFillsEveryFieldLabelListAndMenu() {
        FileWindow e;
        e.AddConstant("b=1"); // typed before Open: the list then shows exactly the file's
        e.OpenBytes(TwoLevelFile);
        QVERIFY(e.reporter.shown.empty());
        frmVantrel& w = e.w;

        QCOMPARE(w.txtOrder->text(), "2");
        QCOMPARE(w.txtVarNams->text(), "u,v");
        QVERIFY(!w.txtOrder->isEnabled() && !w.txtVarNams->isEnabled());
        QCOMPARE(w.txtError->text(), QString::fromStdString(GeneralNumber(1e-5)));
        QCOMPARE(w.txtEquation->text(), "k*u");
        const char* subintervals[] = {"6", "10"};
        for (int L = 0; L < 2; ++L) {
            QCOMPARE(w.txtLL[L]->text(), "0");
            QCOMPARE(w.txtUL[L]->text(), "1");
            QCOMPARE(w.txtSubintervals[L]->text(), subintervals[L]);
            QVERIFY(w.txtUL[L]->isVisible());
        }
        QVERIFY(!w.txtUL[2]->isVisible());
        QCOMPARE(w.lblOverVar[0]->text(), "u");
        QCOMPARE(w.lblOverVar[1]->text(), "v");
        QCOMPARE(w.lblFunctionOf[0]->text(), "f(v)");
        QCOMPARE(w.lblFunctionOf[1]->text(), "Constants");
        QCOMPARE(w.lblEquation->text(), "f(u,v)");
        QVERIFY(w.FrmMain->isVisible());
        QCOMPARE(w.lblIntegral->text(), "-0.5");

        QCOMPARE(w.cboConstants->count(), 2);
        QCOMPARE(w.cboConstants->itemText(0), "k=-1");
        QCOMPARE(w.cboConstants->itemText(1), "m=3");
        QCOMPARE(w.cboConstants->currentText(), "");

        QVERIFY(!w.mnuOpen->isEnabled());
        QVERIFY(w.mnuSave->isEnabled() && w.mnuSaveAs->isEnabled());
        QVERIFY(w.mnuPrint->isVisible() && w.mnuAbout->isVisible());

        const Dimension& d = e.dim;
        QCOMPARE(d.FileName, e.Path("opened.vin"));
        QVERIFY(d.Computed && !d.Loading);
        QCOMPARE(d.FileIntegral, -0.5);
        QCOMPARE(d.MaxError, 1e-5);
        QCOMPARE(d.NumCons, 2);
        QCOMPARE(d.ConsText[0], std::string("k=-1"));
        QCOMPARE(d.ConsText[1], std::string("m=3"));
        QCOMPARE(d.ConsText[2], std::string());
        QCOMPARE(d.VarNam, (std::vector<std::string>{"u", "v"}));
        QCOMPARE(d.MinSub, (std::vector<int32_t>{6, 10}));

        // The focus went on to the error field during the load; leaving it unchanged keeps the
        // loaded result.
        QCOMPARE(EntryWindow::Focus(), w.txtError);
        e.Tab();
        QCOMPARE(w.lblIntegral->text(), "-0.5");
        // The opened problem computes like a typed one.
        e.Click(w.cmdIntegrate);
        QCOMPARE(w.lblIntegral->text(), "-0.5");
        QVERIFY(e.reporter.shown.empty());
    }

    void openWithoutResultOrConstants() {
        FileWindow e;
        e.OpenBytes("Vantrel\r\n1,0.5,#FALSE#,\"x\"\r\n 0 \r\n\"x\",\"-1\",\"1\",4\r\n");
        QVERIFY(e.reporter.shown.empty());
        QCOMPARE(e.w.lblIntegral->text(), "");
        QVERIFY(!e.dim.Computed);
        QCOMPARE(e.w.cboConstants->count(), 0);
        QCOMPARE(e.dim.NumCons, 0);
        QCOMPARE(e.w.txtError->text(), "0.5");
        QCOMPARE(e.w.lblFunctionOf[0]->text(), "Constants");
    }

    void openOfManyLevelsBrowsesThem() {
        FileWindow e;
        std::string bytes = "Vantrel\r\n5,0.01,#FALSE#,\"1\"\r\n 0 \r\n";
        for (int L = 0; L < 5; ++L)
            bytes += "\"v" + std::to_string(L) + "\",\"-" + std::to_string(L) + "\",\"" +
                     std::to_string(L) + "\"," + std::to_string(L + 2) + "\r\n";
        e.OpenBytes(bytes);
        QVERIFY(e.reporter.shown.empty());
        QVERIFY(e.dim.ManyLevels);
        QCOMPARE(e.w.txtUL.size(), std::size_t(5));
        for (int L = 0; L < 5; ++L) {
            QCOMPARE(e.w.txtUL[L]->text(), QString::number(L));
            QCOMPARE(e.w.txtLL[L]->text(), "-" + QString::number(L));
            QCOMPARE(e.w.txtSubintervals[L]->text(), QString::number(L + 2));
            QCOMPARE(e.w.lblOverVar[L]->text(), "v" + QString::number(L));
            QVERIFY(e.w.lblClickSign[L]->isVisible());
        }
        QVERIFY(e.w.cmdNextLim->isVisible());
        QVERIFY(e.w.txtUL[0]->isVisible() && !e.w.txtUL[4]->isVisible());
        e.Click(e.w.cmdPrevLim); // to integration number 5
        QVERIFY(e.w.txtUL[4]->isVisible() && !e.w.txtUL[0]->isVisible());
    }

    void saveAfterOpenWritesTheSameFileAndSaveAsAlwaysAsks() {
        FileWindow e;
        e.OpenBytes(TwoLevelFile);
        const std::string opened = e.Path("opened.vin");
        WriteBytes(opened, "overwritten");
        e.w.mnuSave->trigger();
        QCOMPARE(e.dialog.saves, 0);
        QCOMPARE(Bytes(opened), TwoLevelFile);

        const std::string copy = e.Path("copy.vin");
        e.Choose(e.w.mnuSaveAs, copy);
        QCOMPARE(e.dialog.saves, 1);
        QCOMPARE(Bytes(copy), Bytes(opened));
        QCOMPARE(e.dim.FileName, copy);

        e.Choose(e.w.mnuSaveAs, std::nullopt); // Cancel
        QCOMPARE(e.dialog.saves, 2);
        QCOMPARE(e.dim.FileName, copy);
        e.w.txtEquation->setText("2*k*u"); // clears the result
        e.w.mnuSave->trigger();
        QCOMPARE(e.dialog.saves, 2);
        QVERIFY(Bytes(copy).find("2,1E-05,#FALSE#,\"2*k*u\"\r\n") != std::string::npos);
        QVERIFY(Bytes(opened).find("#TRUE#") != std::string::npos);
    }

    void cancelledDialogsChangeNothing() {
        FileWindow e;
        e.Choose(e.w.mnuOpen, std::nullopt);
        QCOMPARE(e.dialog.opens, 1);
        QVERIFY(e.w.mnuOpen->isEnabled());
        e.EnterProblem("1", "x");
        const QStringList before = Snapshot(e);
        e.Choose(e.w.mnuSave, std::nullopt);
        QCOMPARE(e.dialog.saves, 1);
        QCOMPARE(Snapshot(e), before);
        QVERIFY(QDir(e.folder.path()).isEmpty());
    }

    void openFailuresLeaveTheWindowAsItWas_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
        QTest::addColumn<QString>("message");
        const QByteArray body = "1,0.01,#FALSE#,\"x\"\r\n 0 \r\n\"x\",\"0\",\"1\",4\r\n";
        QTest::newRow("lower-case header") << "vantrel\r\n" + body << "Incompatible file";
        QTest::newRow("another header") << "Vantrel2\r\n" + body << "Incompatible file";
        QTest::newRow("empty file") << QByteArray("\r\n") << "Incompatible file";
        QTest::newRow("no such file")
            << QByteArray() << "The file cannot be opened: No such file or directory.";
        QTest::newRow("order 11") << QByteArray("Vantrel\r\n11,0.01,#FALSE#,\"x\"\r\n 0 \r\n")
                                  << "Line 2: the order must be from 1 to 10.";
        QTest::newRow("order 0") << QByteArray("Vantrel\r\n0.4,0.01,#FALSE#,\"x\"\r\n 0 \r\n")
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
        if (!bytes.isEmpty()) WriteBytes(path, bytes.toStdString());
        const QStringList before = Snapshot(e);

        e.Open(path);
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        const Message& shown = e.reporter.shown[0];
        QCOMPARE(QString::fromStdString(shown.title), "Vantrel Integration");
        QCOMPARE(shown.buttons, MsgButtons::OK);
        if (message == "Incompatible file") {
            QCOMPARE(Text(shown), message);
            QCOMPARE(shown.icon, MsgIcon::None);
        } else {
            QCOMPARE(Text(shown), QString::fromStdString(path) + "\r" + message);
        }
        QCOMPARE(Snapshot(e), before);
        QCOMPARE(e.dim.FileName, std::string()); // a later Save asks for a name

        // Open is still there and works.
        e.OpenBytes(TwoLevelFile);
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(e.w.txtOrder->text(), "2");
    }

    void headerBetweenQuotesOrBeforeACommaIsAccepted() {
        for (const char* header : {"\"Vantrel\"\r\n", "  Vantrel,"}) {
            FileWindow e;
            e.OpenBytes(std::string(header) +
                        "1,0.01,#FALSE#,\"x\"\r\n 0 \r\n\"x\",\"0\",\"1\",4\r\n");
            QVERIFY2(e.reporter.shown.empty(), header);
            QCOMPARE(e.dim.Order, 1);
        }
    }

    void aFailedSaveReportsAndKeepsThePreviousFile() {
        FileWindow e;
        e.OpenBytes(TwoLevelFile);
        const std::string opened = e.Path("opened.vin");
        const std::string previous = Bytes(opened);

        // Larger than the system lets this process write: the new file cannot be completed.
        for (int i = 0; i < 50; ++i)
            e.AddConstant(QStringLiteral("c%1=%1").arg(i));
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 64;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        e.w.mnuSave->trigger();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(Text(e.reporter.shown[0]),
                 QString::fromStdString(opened) + "\rThe file cannot be written: File too large.");
        QCOMPARE(Bytes(opened), previous);
        QCOMPARE(QDir(e.folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

        const std::string nowhere = e.Path("no-such-folder/x.vin");
        e.Choose(e.w.mnuSaveAs, nowhere);
        QCOMPARE(e.reporter.shown.size(), std::size_t(2));
        QVERIFY(Text(e.reporter.shown[1])
                    .startsWith(QString::fromStdString(nowhere) + "\rThe file cannot be created"));
        QCOMPARE(e.w.txtOrder->text(), "2"); // the window stays as it was
        e.w.mnuSave->trigger();              // and a new attempt is possible
        QCOMPARE(e.reporter.shown.size(), std::size_t(3));
    }

    // Qt's dialog: no filter, no default extension, no question before replacing a file and no
    // check that a file to open exists; Cancel gives back nothing.
    void theQtDialogTakesANameAsGiven() {
        QTemporaryDir folder;
        const QString existing = folder.filePath("kept");
        WriteBytes(existing.toStdString(), "old");
        const QString missing = folder.filePath("missing");
        QtFileDialog cdbFile(nullptr);
        QStringList seen;
        // Each dialog is looked at and answered once it runs; a question of its own fails.
        auto answer = [&](std::optional<QString> name) {
            QTimer::singleShot(0, [&seen, name] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                seen << QStringLiteral("%1 %2 %3 [%4] [%5]")
                            .arg(dialog->acceptMode() == QFileDialog::AcceptSave ? "save" : "open")
                            .arg(dialog->fileMode() == QFileDialog::AnyFile)
                            .arg(dialog->testOption(QFileDialog::DontConfirmOverwrite))
                            .arg(dialog->defaultSuffix(), dialog->nameFilters().join(';'));
                if (!name) return dialog->reject();
                dialog->selectFile(*name);
                // A question would run inside accept.
                QTimer::singleShot(0, dialog, [dialog] {
                    if (auto* question =
                            qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        question->close();
                        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
                        QFAIL("the dialog asked a question");
                    }
                });
                static_cast<QDialog*>(dialog)->accept(); // as the dialog's own button
            });
        };
        answer(std::nullopt);
        QCOMPARE(cdbFile.ShowOpen(), std::nullopt);
        answer(missing);
        QCOMPARE(cdbFile.ShowOpen(), missing.toStdString());
        answer(existing);
        QCOMPARE(cdbFile.ShowSave(), existing.toStdString());
        QCOMPARE(seen, (QStringList{"open 1 1 [] [All Files (*)]", "open 1 1 [] [All Files (*)]",
                                    "save 1 1 [] [All Files (*)]"}));
        QCOMPARE(Bytes(existing.toStdString()), std::string("old"));
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
