// The decimal-separator guard: every path of the start-up check and the restoring.
#include "Fakes.h"

#include "startup/DecimalPoint.h"

#include <QTest>

using namespace vantrel;
using namespace vantrel::test;

Q_DECLARE_METATYPE(vantrel::MsgResult)

class GuardTest : public QObject {
    Q_OBJECT
private slots:
    void checkAndRestore_data();
    void checkAndRestore();
    void theQuestionIsWordedForTheComma();
};

void GuardTest::checkAndRestore_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<MsgResult>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QString>("whileRunning");

    QTest::newRow("point: nothing asked") << "." << MsgResult::No << false << true << "."
                                          << ".";
    QTest::newRow("comma, Yes") << "," << MsgResult::Yes << true << true << ","
                                << ".";
    QTest::newRow("comma, No") << "," << MsgResult::No << true << false << ","
                               << ",";
    QTest::newRow("comma, Cancel") << "," << MsgResult::Cancel << true << false << ","
                                   << ",";
    QTest::newRow("other separator, Yes") << "'" << MsgResult::Yes << true << true << "'"
                                          << ".";
    QTest::newRow("three characters") << "dec" << MsgResult::Yes << true << true << "dec"
                                      << ".";
    QTest::newRow("cut at a zero character")
        << QString::fromLatin1(",\0x", 3) << MsgResult::Yes << true << true << ","
        << ".";
    QTest::newRow("point and more is no point") << ".." << MsgResult::Yes << true << true << ".."
                                                << ".";
}

void GuardTest::checkAndRestore() {
    QFETCH(QString, start);
    QFETCH(MsgResult, answer);
    QFETCH(bool, asked);
    QFETCH(bool, runs);
    QFETCH(QString, saved);
    QFETCH(QString, whileRunning);

    const std::string startText(start.toLatin1().constData(), start.toLatin1().size());
    FakeLocale locale(startText);
    AnsweringReporter reporter(answer);
    DecimalPoint guard(locale, reporter);

    QCOMPARE(guard.CheckDecimalPoint(), runs);
    QCOMPARE(reporter.asked.size(), asked ? 1u : 0u);
    QCOMPARE(QString::fromStdString(guard.SavedSeparator()), saved);
    if (!runs) {
        QVERIFY(locale.writes.empty()); // declined: nothing touched, nothing to restore
        return;
    }
    QCOMPARE(QString::fromStdString(locale.separator),
             whileRunning == "." && !asked ? start : whileRunning);
    guard.RestoreDecimalSeparator();
    QCOMPARE(QString::fromStdString(locale.writes.back()), saved);
    QCOMPARE(locale.writes.size(), asked ? 2u : 1u);
}

void GuardTest::theQuestionIsWordedForTheComma() {
    FakeLocale locale(" ");
    AnsweringReporter reporter(MsgResult::No);
    DecimalPoint guard(locale, reporter);
    guard.CheckDecimalPoint();
    QCOMPARE(reporter.asked.size(), 1u);
    const Message& question = reporter.asked[0];
    QCOMPARE(question.title, std::string("Decimal Comma Warning!"));
    QCOMPARE(question.icon, MsgIcon::Critical);
    QCOMPARE(question.buttons, MsgButtons::YesNoCancel);
    QCOMPARE(question.defaultButton, MsgResult::Yes);
    const QStringList lines = QString::fromStdString(question.text).split('\r');
    QCOMPARE(lines.size(), 8);
    QCOMPARE(
        lines[0],
        QString("Proper operation of this application requires the use of the DECIMAL POINT."));
    QCOMPARE(lines[1], QString("Your system is currently using the DECIMAL COMMA."));
    QVERIFY(lines[2].isEmpty());
    QCOMPARE(lines[3],
             QString("Do you wish to temporarily change this system setting to decimal point?"));
    QCOMPARE(lines[4], QString("(Upon exiting, this application will restore your setting.)"));
    QVERIFY(lines[5].startsWith("(See HELP FILE or visit www."));
    QVERIFY(lines[5].endsWith(" for instructions on how to change MANUALLY)"));
    QVERIFY(lines[6].isEmpty());
    QCOMPARE(lines[7], QString("Press YES to change."));
    QVERIFY(!question.text.ends_with('\r') && !question.text.ends_with('\n'));
}

QTEST_GUILESS_MAIN(GuardTest)
#include "guard_test.moc"
