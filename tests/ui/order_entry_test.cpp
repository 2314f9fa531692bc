// The order and variable-names fields typed by a user: what they accept, what stays refused,
// the captions the names give and the focus order of the per-level fields.
#include "EntryFixture.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using namespace vantrel;
using namespace vantrel::test;

class OrderEntryTest : public QObject {
    Q_OBJECT
private slots:
    void orders_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("order"); // 0 = refused
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("10") << "10" << 10;
        QTest::newRow("2.5") << "2.5" << 2;
        QTest::newRow("3.5") << "3.5" << 4;
        QTest::newRow("7 levels") << "7 levels" << 7;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("-2") << "-2" << 0;
        QTest::newRow("11") << "11" << 0;
        QTest::newRow("10.2") << "10.2" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("abc") << "abc" << 0;
        QTest::newRow(".3 rounds to 0") << ".3" << 0;
    }
    void orders() {
        QFETCH(QString, text);
        QFETCH(int, order);
        EntryWindow e;
        if (!text.isEmpty()) e.Type(text);
        e.Tab();
        if (order == 0) {
            QCOMPARE(e.Focus(), e.w.txtOrder);
            QCOMPARE(e.w.txtOrder->text(), text);
            QVERIFY(e.w.txtOrder->isEnabled());
            QVERIFY(e.w.mnuOpen->isEnabled());
            QVERIFY(!e.w.FrmMain->isVisible());
            QCOMPARE(e.dim.Order, 0);
            return;
        }
        QCOMPARE(e.dim.Order, order);
        QCOMPARE(e.dim.LastLevel, order - 1);
        QCOMPARE(e.dim.Integ.size(), std::size_t(order));
        QCOMPARE(e.dim.ManyLevels, order > 3);
        QCOMPARE(e.Focus(), e.w.txtVarNams);
        QVERIFY(!e.w.txtOrder->isEnabled());
        QVERIFY(!e.w.mnuOpen->isEnabled());
        QVERIFY(e.w.FrmMain->isVisible());
    }
    void refusedOrderKeepsFocusAgainstAClick() {
        EntryWindow e;
        e.Type("11");
        e.Click(e.w.txtEquation);
        QCOMPARE(e.Focus(), e.w.txtOrder);
        QCOMPARE(e.dim.Order, 0);
    }

    void names_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("names");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("x,y,z") << "3"
                               << "x,y,z" << true;
        QTest::newRow("two of three") << "3"
                                      << "x,y" << false;
        QTest::newRow("four of three") << "3"
                                       << "x,y,z,w" << false;
        QTest::newRow("empty inside") << "3"
                                      << "x,,z" << false;
        QTest::newRow("empty at end") << "3"
                                      << "x,y," << false;
        QTest::newRow("initial list, order 3") << "3"
                                               << "t,z,y,x" << false;
        QTest::newRow("repeated") << "2"
                                  << "x,x" << true;
        QTest::newRow("empty text") << "1"
                                    << "" << false;
    }
    void names() {
        QFETCH(QString, order);
        QFETCH(QString, names);
        QFETCH(bool, accepted);
        EntryWindow e;
        e.EnterOrder(order);
        e.Type(names);
        if (names.isEmpty()) e.Key(Qt::Key_Delete);
        e.Tab();
        if (!accepted) {
            QCOMPARE(e.Focus(), e.w.txtVarNams);
            QCOMPARE(e.w.txtVarNams->text(), names);
            QVERIFY(e.w.txtVarNams->isEnabled());
            QVERIFY(!e.w.mnuSave->isEnabled());
            QVERIFY(!e.w.mnuPrint->isVisible());
            return;
        }
        QCOMPARE(e.Focus(), e.w.txtError);
        QVERIFY(!e.w.txtVarNams->isEnabled());
        QVERIFY(e.w.mnuSave->isEnabled());
        QVERIFY(e.w.mnuSaveAs->isEnabled());
        QVERIFY(e.w.mnuPrint->isVisible());
        QVERIFY(e.w.mnuAbout->isVisible());
        QVERIFY(!e.w.mnuOpen->isEnabled());
    }

    void blanksAfterCommasStayInTheNames() {
        EntryWindow e;
        e.EnterProblem("3", "x, y, z");
        QCOMPARE(e.dim.VarNam, (std::vector<std::string>{"x", " y", " z"}));
        QCOMPARE(e.w.lblOverVar[1]->text(), " y");
        QCOMPARE(e.w.lblFunctionOf[0]->text(), "f( y, z)");
    }
    void namesOfOrder4LabelEveryLevel() {
        EntryWindow e;
        e.EnterOrder("4");
        e.Tab(); // the initial "t,z,y,x"
        QCOMPARE(e.Focus(), e.w.txtError);
        const QStringList overVar{"t", "z", "y", "x"};
        const QStringList functionOf{"f(z,y,x)", "f(y,x)", "f(x)", "Constants"};
        for (int L = 0; L < 4; ++L) {
            QCOMPARE(e.w.lblOverVar[L]->text(), overVar[L]);
            QCOMPARE(e.w.lblFunctionOf[L]->text(), functionOf[L]);
        }
        QCOMPARE(e.w.lblEquation->text(), "f(t,z,y,x)");
        QVERIFY(e.w.lblEquation->width() > e.w.fontMetrics().horizontalAdvance("f(t,z,y,x)") / 2);
    }
    void namesOfOrder1() {
        EntryWindow e;
        e.EnterProblem("1", "x");
        QCOMPARE(e.w.lblOverVar[0]->text(), "x");
        QCOMPARE(e.w.lblFunctionOf[0]->text(), "Constants");
        QCOMPARE(e.w.lblEquation->text(), "f(x)");
    }
    void namesMayHoldMarkup() {
        EntryWindow e;
        e.EnterProblem("1", "<b>x</b>");
        QCOMPARE(e.w.lblOverVar[0]->textFormat(), Qt::PlainText);
        QCOMPARE(e.w.lblEquation->text(), "f(<b>x</b>)");
    }

    void order10CreatesSevenLevels() {
        EntryWindow e;
        e.EnterProblem("10", "a,b,c,d,f,g,h,i,j,k");
        QCOMPARE(e.w.txtUL.size(), std::size_t(10));
        for (int L = 3; L < 10; ++L) {
            QCOMPARE(e.w.txtUL[L]->text(), "2");
            QCOMPARE(e.w.txtLL[L]->text(), "1");
            QCOMPARE(e.w.txtSubintervals[L]->text(), "4");
            QCOMPARE(e.w.txtUL[L]->objectName(), QStringLiteral("txtUL(%1)").arg(L));
            QCOMPARE(e.w.txtUL[L]->palette(), e.w.txtUL[0]->palette());
            QCOMPARE(e.w.txtUL[L]->geometry(), e.w.txtUL[0]->geometry());
            QCOMPARE(e.w.txtSubintervals[L]->geometry(), e.w.txtSubintervals[0]->geometry());
            QVERIFY(!e.w.txtUL[L]->isVisible());
            QCOMPARE(e.w.lblFunctionOf[L]->font(), e.w.lblFunctionOf[0]->font());
        }
    }
    void focusOrderRunsThroughAllThirtyLevelFields() {
        EntryWindow e;
        e.EnterProblem("10", "a,b,c,d,f,g,h,i,j,k");
        std::vector<QWidget*> expected{e.w.txtOrder, e.w.txtVarNams, e.w.txtError, e.w.txtEquation,
                                       e.w.cboConstants};
        for (int L = 0; L < 10; ++L)
            expected.insert(expected.end(), {e.w.txtUL[L], e.w.txtLL[L], e.w.txtSubintervals[L]});
        expected.insert(expected.end(), {e.w.cmdIntegrate, e.w.cmdRemCons, e.w.cmdAddCons,
                                         e.w.cmdPrevLim, e.w.cmdNextLim});
        std::vector<QWidget*> chain;
        QWidget* widget = e.w.txtOrder;
        do {
            if (std::find(expected.begin(), expected.end(), widget) != expected.end())
                chain.push_back(widget);
            widget = widget->nextInFocusChain();
        } while (widget != e.w.txtOrder);
        QCOMPARE(chain, expected);

        // The keyboard reaches the level on show and skips the hidden ones.
        e.w.txtEquation->setText("1");
        e.Click(e.w.lblClickSign[0]); // level 9
        QCOMPARE(e.Focus(), e.w.txtUL[9]);
        e.Tab();
        QCOMPARE(e.Focus(), e.w.txtLL[9]);
        e.Tab();
        QCOMPARE(e.Focus(), e.w.txtSubintervals[9]);
        e.Tab();
        QCOMPARE(e.Focus(), e.w.cmdIntegrate);
    }
};

QTEST_MAIN(OrderEntryTest)
#include "order_entry_test.moc"
