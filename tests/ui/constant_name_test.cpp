// The rule for the names of user constants.
#include "ui/ConstantTable.h"

#include <QTest>

using namespace vantrel;

class ConstantNameTest : public QObject {
    Q_OBJECT
private slots:
    void names_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("a") << "a" << true;
        QTest::newRow("Ab9") << "Ab9" << true;
        QTest::newRow("digit first") << "2a" << false;
        QTest::newRow("underscore") << "a_b" << false;
        QTest::newRow("blank") << "a " << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("non-ASCII letter") << QString::fromUtf8("\xc3\xa9") << false;
    }
    void names() {
        QFETCH(QString, name);
        QTEST(IsConstantName(name.toStdString()), "valid");
    }
    void nameEndsAtTheFirstEquals() {
        QCOMPARE(ConstantName("b=a==1"), std::string_view("b"));
        QCOMPARE(ConstantName("c="), std::string_view("c"));
    }
};

QTEST_GUILESS_MAIN(ConstantNameTest)
#include "constant_name_test.moc"
