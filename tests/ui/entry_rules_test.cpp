// The order, names, captions, limits columns and constants table, without a window.
#include "ui/ConstantTable.h"
#include "ui/EntryRules.h"
#include "ui/LimitsLayout.h"

#include <QTest>

using namespace vantrel;

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
} // namespace

class EntryRulesTest : public QObject {
    Q_OBJECT
private slots:
    void order_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("order"); // 0 = refused
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("3") << "3" << 3;
        QTest::newRow("10") << "10" << 10;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("-2") << "-2" << 0;
        QTest::newRow("11") << "11" << 0;
        QTest::newRow("10.2") << "10.2" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("abc") << "abc" << 0;
        QTest::newRow("2.5 to even") << "2.5" << 2;
        QTest::newRow("3.5 to even") << "3.5" << 4;
        QTest::newRow("trailing words") << "7 levels" << 7;
        QTest::newRow("rounds to 0") << ".4" << 0;
        QTest::newRow("half rounds to 0") << ".5" << 0;
    }
    void order() {
        QFETCH(QString, text);
        QFETCH(int, order);
        const auto accepted = AcceptedOrder(text.toStdString());
        QCOMPARE(accepted.value_or(0), order);
    }

    void names_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<bool>("fits");
        QTest::newRow("three") << "x,y,z" << 3 << QStringList{"x", "y", "z"} << true;
        QTest::newRow("too few") << "x,y" << 3 << QStringList{"x", "y"} << false;
        QTest::newRow("too many") << "x,y,z,w" << 3 << QStringList{"x", "y", "z", "w"} << false;
        QTest::newRow("empty inside") << "x,,z" << 3 << QStringList{"x", "", "z"} << false;
        QTest::newRow("empty at end") << "x,y," << 3 << QStringList{"x", "y", ""} << false;
        QTest::newRow("blanks kept") << "x, y, z" << 3 << QStringList{"x", " y", " z"} << true;
        QTest::newRow("repeated") << "x,x" << 2 << QStringList{"x", "x"} << true;
        QTest::newRow("empty text") << "" << 1 << QStringList{} << false;
        QTest::newRow("initial, order 3")
            << "t,z,y,x" << 3 << QStringList{"t", "z", "y", "x"} << false;
    }
    void names() {
        QFETCH(QString, text);
        QFETCH(int, order);
        QFETCH(QStringList, pieces);
        QFETCH(bool, fits);
        const auto names = SplitNames(text.toStdString());
        QStringList got;
        for (const auto& name : names)
            got << QString::fromStdString(name);
        QCOMPARE(got, pieces);
        QCOMPARE(NamesFitOrder(names, order), fits);
    }

    void captions() {
        const std::vector<std::string> names{"t", "z", "y", "x"};
        QCOMPARE(Q(FunctionCaption(names)), "f(t,z,y,x)");
        QCOMPARE(Q(FunctionOfCaption(names, 0)), "f(z,y,x)");
        QCOMPARE(Q(FunctionOfCaption(names, 2)), "f(x)");
        QCOMPARE(Q(FunctionOfCaption(names, 3)), "Constants");
        QCOMPARE(Q(FunctionOfCaption({"x"}, 0)), "Constants");
    }

    void columns_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("sign");
        QTest::addColumn<int>("limitLeft");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("variableLeft");
        QTest::newRow("1/0") << 1 << 0 << 0 << 270 << 9165 << 60;
        QTest::newRow("2/1") << 2 << 1 << 0 << 270 << 2885 << 60;
        QTest::newRow("2/0") << 2 << 0 << 3180 << 3450 << 5970 << 3240;
        QTest::newRow("3/2") << 3 << 2 << 0 << 270 << 1442 << 60;
        QTest::newRow("3/1") << 3 << 1 << 1740 << 2010 << 2885 << 1800;
        QTest::newRow("3/0") << 3 << 0 << 4920 << 5190 << 4260 << 4980;
        QTest::newRow("4/3") << 4 << 3 << 0 << 270 << 9165 << 60;
        QTest::newRow("10/0") << 10 << 0 << 0 << 270 << 9165 << 60;
    }
    void columns() {
        QFETCH(int, order);
        QFETCH(int, level);
        const LimitsColumn column = LimitsColumnFor(order, level);
        QTEST(column.signLeft, "sign");
        QTEST(column.LimitLeft(), "limitLeft");
        QTEST(column.limitWidth, "width");
        QTEST(column.VariableLeft(), "variableLeft");
    }
    void signRowOfOrder10EndsLeftOfTheHint() {
        QCOMPARE(SignRowLeft(0), 1800);
        QCOMPARE(SignRowLeft(9), 3960);
        QVERIFY(SignRowLeft(9) + SignRowStep <= ClickTipLeft);
    }

    void constantNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("a") << "a" << true;
        QTest::newRow("Ab9") << "Ab9" << true;
        QTest::newRow("digit first") << "2a" << false;
        QTest::newRow("underscore") << "a_b" << false;
        QTest::newRow("blank") << "a " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("non-ASCII") << QString::fromUtf8("\xc3\xa9") << false;
    }
    void constantNames() {
        QFETCH(QString, name);
        QTEST(IsConstantName(name.toStdString()), "valid");
    }

    void constantsAddedReplacedAndRemoved() {
        Dimension d;
        using Status = AddOutcome::Status;
        QCOMPARE(AddConstant(d, "a=1").status, Status::Added);
        QCOMPARE(AddConstant(d, "A=1").status, Status::Added);
        QCOMPARE(AddConstant(d, "b=2*a").status, Status::Added);
        const AddOutcome replaced = AddConstant(d, "a=2");
        QCOMPARE(replaced.status, Status::Added);
        QCOMPARE(replaced.replaced, 0);
        QCOMPARE(d.NumCons, 3);
        QCOMPARE(Q(d.ConsText[0]), "A=1");
        QCOMPARE(Q(d.ConsText[1]), "b=2*a");
        QCOMPARE(Q(d.ConsText[2]), "a=2");
        QCOMPARE(AddConstant(d, "c=").status, Status::Added);
        for (const char* ignored : {"2a=1", "a_b=1", "a =1", "=5", "a"})
            QCOMPARE(AddConstant(d, ignored).status, Status::Ignored);
        QCOMPARE(AddConstant(d, "d=max(1,2)").status, Status::CannotBeSaved);
        QCOMPARE(d.NumCons, 4);

        QCOMPARE(Q(RemoveConstant(d, 1)), "b=0");
        QCOMPARE(d.NumCons, 3);
        QCOMPARE(Q(d.ConsText[1]), "a=2");
        QCOMPARE(Q(d.ConsText[2]), "c=");
        QCOMPARE(Q(d.ConsText[3]), "");
    }
    void theTableHoldsAtMost101() {
        Dimension d;
        for (int i = 0; i < Dimension::MaxConstants; ++i)
            QCOMPARE(AddConstant(d, QStringLiteral("c%1=1").arg(i).toStdString()).status,
                     AddOutcome::Status::Added);
        QCOMPARE(AddConstant(d, "extra=1").status, AddOutcome::Status::TableFull);
        QCOMPARE(AddConstant(d, "c50=2").status, AddOutcome::Status::Added);
        QCOMPARE(d.NumCons, Dimension::MaxConstants);
        QCOMPARE(Q(d.ConsText[100]), "c50=2");
    }
};

QTEST_GUILESS_MAIN(EntryRulesTest)
#include "entry_rules_test.moc"
