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
    explicit ResultWindow(const QString& order = "2", const QString& names = "x,y") {
        EnterProblem(order, names);
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
    void maxErrorRefusals_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0") << "0" << false;
        QTest::newRow("-1") << "-1" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("abc") << "abc" << false;
        QTest::newRow(".001") << ".001" << true;
        QTest::newRow("1E-6") << "1E-6" << true;
    }
    void maxErrorRefusals() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        EntryWindow e;
        e.EnterProblem("1", "x");
        QCOMPARE(e.Focus(), e.w.txtError);
        e.Type(text);
        if (text.isEmpty()) e.Key(Qt::Key_Delete);
        e.Tab();
        QCOMPARE(e.Focus() == e.w.txtError, !accepted);
        QCOMPARE(e.w.txtError->text(), text);
        if (accepted) QCOMPARE(e.dim.MaxError, text.toDouble());
    }
    void smallerMaxErrorClearsTheResult_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cleared");
        QTest::newRow(".001") << ".001" << true;
        QTest::newRow(".1") << ".1" << false;
        QTest::newRow(".01 again") << ".01" << false;
    }
    void smallerMaxErrorClearsTheResult() {
        QFETCH(QString, text);
        QFETCH(bool, cleared);
        ResultWindow e;
        e.Click(e.w.txtError);
        QCOMPARE(e.dim.PrevMaxError, 0.01);
        e.Type(text);
        QVERIFY(e.Shown()); // only leaving the field decides
        e.Tab();
        QCOMPARE(e.Shown(), !cleared);
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
    void everyKeystrokeInTheIntegrandClears() {
        ResultWindow e;
        e.Click(e.w.txtEquation);
        QTest::keyClick(e.Focus(), Qt::Key_End);
        QTest::keyClick(e.Focus(), Qt::Key_Plus);
        QVERIFY(!e.Shown());
        QVERIFY(!e.dim.Computed);
        e.ShowResult();
        QTest::keyClick(e.Focus(), Qt::Key_2);
        QVERIFY(!e.Shown());
    }
    void typingInTheConstantsLineClears() {
        ResultWindow e;
        e.Click(e.w.cboConstants->lineEdit());
        QTest::keyClick(e.Focus(), Qt::Key_A);
        QVERIFY(!e.Shown());
    }
    void limitAndSubintervalEditsKeepTheResult() {
        ResultWindow e;
        for (QLineEdit* field : {e.w.txtUL[0], e.w.txtLL[1], e.w.txtSubintervals[0]}) {
            e.Click(field);
            e.Type("7");
            e.Tab();
        }
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

    void enteringAnyFieldSelectsItsText() {
        EntryWindow e;
        e.EnterProblem("4", "t,z,y,x");
        e.w.txtEquation->setText("x+y");
        e.Tab();
        QCOMPARE(e.w.txtEquation->selectedText(), "x+y");
        for (int level : {0, 1, 3}) {
            e.w.EditLimit(level);
            QCOMPARE(e.w.txtUL[level]->selectedText(), "2");
            e.Tab();
            QCOMPARE(e.Focus(), e.w.txtLL[level]);
            QCOMPARE(e.w.txtLL[level]->selectedText(), "1");
            e.Tab();
            QCOMPARE(e.w.txtSubintervals[level]->selectedText(), "4");
        }
        e.Key(Qt::Key_Backtab);
        QCOMPARE(e.w.txtLL[3]->selectedText(), "1");
    }
};

QTEST_MAIN(FieldBehavioursTest)
#include "field_behaviours_test.moc"
