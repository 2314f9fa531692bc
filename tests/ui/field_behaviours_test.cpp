// The shared field behaviours: select-all on entry, the maximum-error and integrand checks, and
// exactly which edits clear a shown result.
#include "EntryFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace vantrel;
using namespace vantrel::test;

namespace {

// A window whose order, names and integrand are entered and which shows a result.
struct ResultWindow : EntryWindow {
    ResultWindow() {
        EnterProblem("2", "x,y");
        Tab(); // into the integrand
        Type("1");
        ShowResult();
    }
    void ShowResult() {
        w.lblIntegral->setText("0.5");
        dim.Computed = true;
    }
    bool Shown() const { return !w.lblIntegral->text().isEmpty() && dim.Computed; }
};

} // namespace

class FieldBehavioursTest : public QObject {
    Q_OBJECT
private slots:
    void maxError_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("cleared"); // only a smaller maximum error clears the result
        for (const char* refused : {"0", "-1", "", "abc"})
            QTest::addRow("'%s'", refused) << QString(refused) << false << false;
        for (const char* smaller : {".001", "1E-6"})
            QTest::addRow("'%s'", smaller) << QString(smaller) << true << true;
        for (const char* notSmaller : {".1", ".01"})
            QTest::addRow("'%s'", notSmaller) << QString(notSmaller) << true << false;
    }
    void maxError() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(bool, cleared);
        ResultWindow e;
        e.Click(e.w.txtError);
        e.Type(text);
        if (text.isEmpty()) e.Key(Qt::Key_Delete);
        QVERIFY(e.Shown()); // only leaving the field decides
        e.Tab();
        QCOMPARE(e.Focus() == e.w.txtError, !accepted);
        QCOMPARE(e.w.txtError->text(), text);
        QCOMPARE(e.dim.MaxError, accepted ? text.toDouble() : 0.01);
        QCOMPARE(e.Shown(), !cleared);
    }
    void keystrokesThatClearTheResult_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("integrand") << "txtEquation" << true;
        QTest::newRow("constants line") << "cboConstants" << true;
        QTest::newRow("upper limit") << "txtUL(0)" << false;
        QTest::newRow("lower limit") << "txtLL(1)" << false;
        QTest::newRow("subintervals") << "txtSubintervals(0)" << false;
    }
    void keystrokesThatClearTheResult() {
        QFETCH(QString, field);
        QFETCH(bool, cleared);
        ResultWindow e;
        QWidget* widget = e.w.findChild<QWidget*>(field);
        if (auto* combo = qobject_cast<QComboBox*>(widget)) widget = combo->lineEdit();
        e.Click(widget);
        for (Qt::Key key : {Qt::Key_Plus, Qt::Key_7}) { // each keystroke again
            e.Key(Qt::Key_End);
            e.Key(key);
            QCOMPARE(e.Shown(), !cleared);
            e.ShowResult();
        }
        e.Tab();
        QVERIFY(e.Shown());
    }
    void loadingClearsNothing() {
        ResultWindow e;
        e.dim.Loading = true;
        e.w.txtEquation->setText("x*x");
        e.w.cboConstants->setEditText("a=1");
        e.dim.Loading = false;
        QVERIFY(e.Shown());
    }

    void integrandCannotBeLeftEmpty() {
        EntryWindow e;
        e.EnterProblem("1", "x");
        e.Tab();
        QCOMPARE(e.Focus(), e.w.txtEquation);
        e.Tab();
        QCOMPARE(e.Focus(), e.w.txtEquation);
        e.Click(e.w.cmdIntegrate);
        QCOMPARE(e.Focus(), e.w.txtEquation);
        QVERIFY(e.reporter.shown.empty());
        e.Type(" ");
        e.Tab();
        QVERIFY(e.Focus() != e.w.txtEquation);
    }
    void enteringAnyFieldSelectsItsText() {
        EntryWindow e;
        e.EnterProblem("4", "t,z,y,x");
        e.w.txtEquation->setText("x+y");
        e.Tab();
        QCOMPARE(e.w.txtEquation->selectedText(), "x+y");
        for (int level : {0, 1, 3}) {
            e.w.EditLimit(level);
            for (QLineEdit* field :
                 {e.w.txtUL[level], e.w.txtLL[level], e.w.txtSubintervals[level]}) {
                QCOMPARE(e.Focus(), field);
                QVERIFY(field->hasSelectedText() && field->selectedText() == field->text());
                e.Tab();
            }
        }
        e.Key(Qt::Key_Backtab);
        QCOMPARE(e.w.txtSubintervals[3]->selectedText(), "4");
    }
};

QTEST_MAIN(FieldBehavioursTest)
#include "field_behaviours_test.moc"
