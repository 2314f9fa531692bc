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
    void Integrate() { Click(w.cmdIntegrate); }
    QString Result() const { return w.lblIntegral->text(); }
};

// Records the messages together with the cursor shown while each was up.
struct CursorProbe : RecordingReporter {
    std::vector<Qt::CursorShape> shapes;
    MsgResult Show(const Message& message) override {
        const QCursor* cursor = QApplication::overrideCursor();
        shapes.push_back(cursor ? cursor->shape() : Qt::ArrowCursor);
        return RecordingReporter::Show(message);
    }
};

} // namespace

class IntegrateTest : public QObject {
    Q_OBJECT
private slots:
    void results_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("integrand");
        QTest::addColumn<QStringList>("uppers"); // every lower limit 0
        QTest::addColumn<QString>("result");
        QTest::newRow("x*y, y to 1, x to 2") << "2"
                                             << "y,x"
                                             << "x*y" << QStringList{"1", "2"} << "1";
        QTest::newRow("hidden levels too") // twice (1/2)^4
            << "4"
            << "t,z,y,x"
            << "t*z*y*x" << QStringList{"1", "1", "1", "2"} << "0.25";
    }
    void results() {
        QFETCH(QString, order);
        QFETCH(QString, names);
        QFETCH(QString, integrand);
        QFETCH(QStringList, uppers);
        IntegrateWindow e(order, names, integrand);
        for (int L = 0; L < uppers.size(); ++L)
            e.Limits(L, uppers[L], "0");
        e.Integrate();
        QTEST(e.Result(), "result");
        QVERIFY(e.dim.Computed);
        QVERIFY(e.reporter.shown.empty());
        QVERIFY(!QApplication::overrideCursor());
    }

    void failures_data() {
        QTest::addColumn<QString>("integrand");
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QStringList>("constants");
        QTest::addColumn<int>("messages");
        QTest::addColumn<bool>("scriptError");
        QTest::newRow("1/x from 0") << "1/x"
                                    << "1" << QStringList{} << 1 << false;
        QTest::newRow("integrand syntax") << "x+*2"
                                          << "1" << QStringList{} << 1 << true;
        QTest::newRow("failing constant stops the command")
            << "c"
            << "1" << QStringList{"c=2", "d=)"} << 1 << true;
        QTest::newRow("failing function in a limit") << "x"
                                                     << "Asin(2)" << QStringList{} << 0 << false;
    }
    void failures() {
        QFETCH(QString, integrand);
        QFETCH(QString, upper);
        QFETCH(QStringList, constants);
        QFETCH(int, messages);
        QFETCH(bool, scriptError);
        IntegrateWindow e("1", "x", integrand);
        e.Limits(0, upper, "0");
        for (const QString& constant : constants)
            e.AddConstant(constant);
        CursorProbe probe;
        e.w.SetReporter(probe);
        e.w.lblIntegral->setText("stale");
        e.Integrate();
        QCOMPARE(probe.shapes, std::vector<Qt::CursorShape>(messages, Qt::WaitCursor));
        if (messages) QCOMPARE(probe.shown[0].title == "Error in Script Control", scriptError);
        QCOMPARE(e.Result(), "");
        QVERIFY(e.dim.Computed);
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
        QCOMPARE(e.w.lblIntegNum->text(), "3");
        QCOMPARE(e.Focus(), e.w.txtSubintervals[2]);
    }
    void constantsAreDefinedInListOrder() {
        IntegrateWindow e("1", "x", "a+b"); // over x from 1 to 2
        e.AddConstant("a=2");
        e.AddConstant("b=2*a");
        e.Integrate();
        QCOMPARE(e.Result(), "6");
        e.AddConstant("a=1"); // now after b: b keeps twice the old a
        e.Integrate();
        QCOMPARE(e.Result(), "5");
    }
    void aConstantTakesTheVariableLeftByThePreviousComputation() {
        IntegrateWindow e("1", "y", "c");
        e.AddConstant("c=2*y");
        e.Integrate();
        QCOMPARE(e.Result(), "0"); // y has no value yet
        const double left = e.dim.VarVal[0];
        QVERIFY(left != 0);
        e.Integrate();
        QVERIFY(qAbs(e.Result().toDouble() - 2 * left) < 1e-12);
    }
};

QTEST_MAIN(IntegrateTest)
#include "integrate_test.moc"
