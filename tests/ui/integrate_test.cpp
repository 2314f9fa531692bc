// Problems typed into the window and integrated with the Integral button.
#include "EntryFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct IntegrateWindow : EntryWindow {
    // Order and names typed, then the integrand; focus left in the integrand field.
    IntegrateWindow(const QString& order, const QString& names, const QString& integrand) {
        EnterProblem(order, names);
        Tab();
        Type(integrand);
    }
    void Limits(int level, const QString& upper, const QString& lower) {
        w.txtUL[level]->setText(upper);
        w.txtLL[level]->setText(lower);
    }
    void Constant(const QString& text) {
        w.cboConstants->setEditText(text);
        w.cmdAddCons_Click();
    }
    void Integrate() { Click(w.cmdIntegrate); }
    QString Result() const { return w.lblIntegral->text(); }
    QStringList Titles() const {
        QStringList titles;
        for (const Message& message : reporter.shown)
            titles << QString::fromStdString(message.title);
        return titles;
    }
};

} // namespace

class IntegrateTest : public QObject {
    Q_OBJECT
private slots:
    void doubleIntegralOfXTimesY() {
        IntegrateWindow e("2", "y,x", "x*y");
        e.Limits(0, "1", "0");
        e.Limits(1, "2", "0");
        e.Integrate();
        QCOMPARE(e.Result(), "1");
        QVERIFY(e.dim.Computed);
        QCOMPARE(e.dim.Level, 2);
        QCOMPARE(e.dim.Equation, std::string("x*y"));
        QCOMPARE(e.dim.MinSub, (std::vector<int32_t>{4, 4}));
        QCOMPARE(e.dim.MaxError, 0.01);
        QVERIFY(e.reporter.shown.empty());
        QVERIFY(!QApplication::overrideCursor());
    }
    void divisionByZeroShowsOneMessageAndNoResult() {
        IntegrateWindow e("1", "x", "1/x");
        e.Limits(0, "1", "0");
        e.w.lblIntegral->setText("stale");
        e.Integrate();
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QVERIFY(e.Titles()[0] != "Error in Script Control");
        QCOMPARE(e.Result(), "");
        QVERIFY(e.dim.Computed);
        QVERIFY(e.w.ierr != 0);
        QVERIFY(!QApplication::overrideCursor());
    }
    void theWaitCursorShowsWhileComputing() {
        struct CursorProbe : Reporter {
            std::vector<Qt::CursorShape> shapes;
            MsgResult Show(const Message&) override {
                const QCursor* cursor = QApplication::overrideCursor();
                shapes.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
                return MsgResult::OK;
            }
        } probe;
        IntegrateWindow e("1", "x", "1/x");
        e.Limits(0, "1", "0");
        e.w.SetReporter(probe);
        e.Integrate();
        QCOMPARE(probe.shapes, std::vector<Qt::CursorShape>{Qt::WaitCursor});
        QVERIFY(!QApplication::overrideCursor());
    }
    void subintervalMinimumsAreRoundedHalfToEven() {
        IntegrateWindow e("3", "x,y,z", "1");
        e.w.txtSubintervals[0]->setText("4.5");
        e.w.txtSubintervals[1]->setText("abc");
        e.w.txtSubintervals[2]->setText("5.5");
        e.Integrate();
        QCOMPARE(e.dim.MinSub, (std::vector<int32_t>{4, 0, 6}));
        QCOMPARE(e.Result(), "1");
    }
    void subintervalsOutside32BitsAreRefused() {
        IntegrateWindow e("4", "t,z,y,x", "1");
        e.w.txtSubintervals[2]->setText("3E9");
        e.w.lblIntegral->setText("0.5");
        e.Integrate();
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(e.reporter.shown[0].text).contains("Integration #3"));
        QCOMPARE(e.Result(), "0.5");
        QCOMPARE(e.dim.MinSub, (std::vector<int32_t>{0, 0, 0, 0}));
        QCOMPARE(e.w.lblIntegNum->text(), "3");
        QCOMPARE(e.Focus(), e.w.txtSubintervals[2]);
    }
    void hiddenLevelsAreIntegratedToo() {
        IntegrateWindow e("4", "t,z,y,x", "t*z*y*x");
        for (int L = 0; L < 4; ++L)
            e.Limits(L, "1", "0");
        e.w.txtUL[3]->setText("2"); // x from 0 to 2: twice (1/2)^4
        e.Integrate();
        QCOMPARE(e.Result(), "0.25");
    }
    void constantsAreDefinedInListOrder() {
        IntegrateWindow e("1", "x", "a+b");
        e.Limits(0, "1", "0");
        e.Constant("a=2");
        e.Constant("b=2*a");
        e.Integrate();
        QCOMPARE(e.Result(), "6");
        e.Constant("a=1"); // now after b: b keeps twice the old a
        e.Integrate();
        QCOMPARE(e.Result(), "5");
    }
    void aFailingConstantStopsTheCommand() {
        IntegrateWindow e("1", "x", "c");
        e.Limits(0, "1", "0");
        e.Constant("c=2");
        e.Integrate();
        QCOMPARE(e.Result(), "2");
        e.Constant("d=)");
        e.Integrate();
        QCOMPARE(e.Titles(), QStringList{"Error in Script Control"});
        QCOMPARE(e.Result(), "");
        QVERIFY(e.dim.Computed);
        QVERIFY(!QApplication::overrideCursor());
    }
    void aConstantTakesTheVariableLeftByThePreviousComputation() {
        IntegrateWindow e("1", "y", "c");
        e.Limits(0, "1", "0");
        e.Constant("c=2*y");
        e.Integrate();
        QCOMPARE(e.Result(), "0"); // y has no value yet
        const double left = e.dim.VarVal[0];
        QVERIFY(left != 0);
        e.Integrate();
        QVERIFY(qAbs(e.Result().toDouble() - 2 * left) < 1e-12);
    }
    void aSyntaxErrorInTheIntegrandIsReportedOnce() {
        IntegrateWindow e("1", "x", "x+*2");
        e.Integrate();
        QCOMPARE(e.Titles(), QStringList{"Error in Script Control"});
        QCOMPARE(e.Result(), "");
        QVERIFY(e.dim.Computed);
    }
    void aFailingFunctionInALimitShowsNothing() {
        IntegrateWindow e("1", "x", "x");
        e.Limits(0, "Asin(2)", "0");
        e.Integrate();
        QVERIFY(e.reporter.shown.empty());
        QCOMPARE(e.Result(), "");
    }
};

QTEST_MAIN(IntegrateTest)
#include "integrate_test.moc"
