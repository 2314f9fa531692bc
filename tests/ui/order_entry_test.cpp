// The order and variable-names fields typed by a user: what they accept, what stays refused,
// the captions the names give and the focus order of the per-level fields.
#include "EntryFixture.h"

#include <QAction>
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
        const std::pair<const char*, int> rows[] = {
            {"1", 1},  {"3", 3},  {"10", 10},  {"2.5", 2}, {"3.5", 4}, {"7 levels", 7}, {"0", 0},
            {"-2", 0}, {"11", 0}, {"10.2", 0}, {"", 0},    {"abc", 0}, {".3", 0}, // rounds to 0
        };
        for (const auto& [text, order] : rows)
            QTest::addRow("'%s'", text) << QString(text) << order;
    }
    void orders() {
        QFETCH(QString, text);
        QFETCH(int, order);
        EntryWindow e;
        if (!text.isEmpty()) e.Type(text);
        e.Tab();
        QCOMPARE(e.dim.Order, order);
        QCOMPARE(e.Focus(), order ? e.w.txtVarNams : e.w.txtOrder);
        QCOMPARE(e.w.txtOrder->isEnabled(), order == 0);
        QCOMPARE(e.w.FrmMain->isVisible(), order > 0);
        if (order) return;
        QCOMPARE(e.w.txtOrder->text(), text);
        e.Click(e.w.txtEquation); // a click does not take focus from a refused order either
        QCOMPARE(e.Focus(), e.w.txtOrder);
    }

    void names_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("names");
        QTest::addColumn<bool>("accepted");
        const struct {
            const char *order, *names;
            bool accepted;
        } rows[] = {
            {"3", "x,y,z", true}, {"3", "x,y", false},  {"3", "x,y,z,w", false},
            {"3", "x,,z", false}, {"3", "x,y,", false}, {"3", "t,z,y,x", false},
            {"2", "x,x", true}, // repeated names are allowed
            {"1", "", false},
        };
        for (const auto& row : rows)
            QTest::addRow("'%s' at %s", row.names, row.order)
                << QString(row.order) << QString(row.names) << row.accepted;
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
        QCOMPARE(e.Focus(), accepted ? e.w.txtError : e.w.txtVarNams);
        QCOMPARE(e.w.txtVarNams->isEnabled(), !accepted);
        QCOMPARE(e.w.mnuSave->isEnabled(), accepted);
        if (!accepted) QCOMPARE(e.w.txtVarNams->text(), names);
    }

    void labels_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QStringList>("functionOf"); // level 0 first
        QTest::addColumn<QString>("equation");
        QTest::newRow("initial list at order 4")
            << 4 << "t,z,y,x" << QStringList{"f(z,y,x)", "f(y,x)", "f(x)", "Constants"}
            << "f(t,z,y,x)";
        QTest::newRow("order 1") << 1 << "x" << QStringList{"Constants"} << "f(x)";
        QTest::newRow("blanks after commas stay")
            << 3 << "x, y, z" << QStringList{"f( y, z)", "f( z)", "Constants"} << "f(x, y, z)";
        QTest::newRow("markup shown as text")
            << 1 << "<b>x</b>" << QStringList{"Constants"} << "f(<b>x</b>)";
    }
    void labels() {
        QFETCH(int, order);
        QFETCH(QString, names);
        QFETCH(QStringList, functionOf);
        QFETCH(QString, equation);
        EntryWindow e;
        e.EnterOrder(QString::number(order));
        if (names != e.w.txtVarNams->text()) e.Type(names);
        e.Tab();
        QCOMPARE(e.Focus(), e.w.txtError);
        const QStringList overVar = names.split(',');
        for (int L = 0; L < overVar.size(); ++L) {
            QCOMPARE(e.w.lblOverVar[L]->text(), overVar[L]);
            QCOMPARE(e.w.lblOverVar[L]->textFormat(), Qt::PlainText);
            QCOMPARE(e.w.lblFunctionOf[L]->text(), functionOf[L]);
        }
        QCOMPARE(e.w.lblEquation->text(), equation);
        QCOMPARE(e.w.lblEquation->textFormat(), Qt::PlainText);
        QVERIFY(e.w.lblEquation->width() > e.w.fontMetrics().horizontalAdvance(equation) / 2);
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
        for (QWidget* next : std::initializer_list<QWidget*>{
                 e.w.txtUL[9], e.w.txtLL[9], e.w.txtSubintervals[9], e.w.cmdIntegrate}) {
            QCOMPARE(e.Focus(), next);
            e.Tab();
        }
    }
};

QTEST_MAIN(OrderEntryTest)
#include "order_entry_test.moc"
