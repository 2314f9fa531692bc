// The frame of user constants typed by a user: added, replaced, refused and removed, with the
// list and the state's table in step.
#include "EntryFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace vantrel;
using namespace vantrel::test;

namespace {

QStringList ListOf(const QComboBox& combo) {
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

QStringList TableOf(const Dimension& d) {
    QStringList items;
    for (int i = 0; i < d.NumCons; ++i)
        items << QString::fromStdString(d.ConsText[i]);
    return items;
}

struct ConstantsWindow : EntryWindow {
    ConstantsWindow() {
        EnterProblem("1", "x");
        Click(w.cboConstants->lineEdit());
    }
    void Add(const QString& text) {
        w.cboConstants->lineEdit()->setFocus();
        QTest::keyClicks(w.cboConstants->lineEdit(), text);
        Click(w.cmdAddCons);
    }
    void Enter(const QString& text) {
        w.cboConstants->lineEdit()->setFocus();
        QTest::keyClicks(w.cboConstants->lineEdit(), text);
        QTest::keyClick(w.cboConstants->lineEdit(), Qt::Key_Return);
    }
    void Pick(int index) {
        w.cboConstants->setCurrentIndex(index);
        emit w.cboConstants->activated(index);
    }
    QStringList List() const { return ListOf(*w.cboConstants); }
};

} // namespace

class ConstantsTest : public QObject {
    Q_OBJECT
private slots:
    void addedByButtonAndByEnter() {
        ConstantsWindow e;
        e.Add("a=2.37");
        QCOMPARE(e.List(), QStringList{"a=2.37"});
        QCOMPARE(e.w.cboConstants->currentText(), "");
        e.Enter("b=2*a");
        e.Enter("c=pi/2");
        e.Enter("d=");
        QCOMPARE(e.List(), (QStringList{"a=2.37", "b=2*a", "c=pi/2", "d="}));
        QCOMPARE(TableOf(e.dim), e.List());
        QVERIFY(e.reporter.shown.empty());
    }
    void ignoredTextsStayForCorrection_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("digit first") << "2a=1";
        QTest::newRow("underscore") << "a_b=1";
        QTest::newRow("blank before =") << "a =1";
        QTest::newRow("no name") << "=5";
        QTest::newRow("no =") << "a";
    }
    void ignoredTextsStayForCorrection() {
        QFETCH(QString, text);
        ConstantsWindow e;
        e.Enter(text);
        QCOMPARE(e.List(), QStringList{});
        QCOMPARE(e.dim.NumCons, 0);
        QCOMPARE(e.w.cboConstants->currentText(), text);
        QVERIFY(e.reporter.shown.empty());
    }
    void sameNameReplacesAndGoesToTheEnd() {
        ConstantsWindow e;
        e.Enter("a=1");
        e.Enter("A=1");
        e.Enter("b=3");
        e.Enter("a=2");
        QCOMPARE(e.List(), (QStringList{"A=1", "b=3", "a=2"}));
        QCOMPARE(TableOf(e.dim), e.List());
    }
    void refusedWithAMessage() {
        ConstantsWindow e;
        e.Enter("a=1");
        e.Enter("m=max(1,2)");
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(e.reporter.shown[0].text).contains("comma"));
        QCOMPARE(e.reporter.shown[0].title, std::string(AppTitle));
        QCOMPARE(e.List(), QStringList{"a=1"});
        QCOMPARE(e.w.cboConstants->currentText(), "m=max(1,2)");
    }
    void the102ndConstantIsRefused() {
        ConstantsWindow e;
        for (int i = 0; i < Dimension::MaxConstants; ++i)
            e.Enter(QStringLiteral("c%1=%1").arg(i));
        QCOMPARE(e.w.cboConstants->count(), Dimension::MaxConstants);
        e.Enter("extra=1");
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(e.w.cboConstants->count(), Dimension::MaxConstants);
        QCOMPARE(e.w.cboConstants->currentText(), "extra=1");
        e.w.cboConstants->setEditText("");
        e.Enter("c7=70"); // a replacement still fits
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(e.w.cboConstants->itemText(100), "c7=70");
        QCOMPARE(TableOf(e.dim), e.List());
    }

    void removedConstantReadsZero() {
        ConstantsWindow e;
        e.Enter("a=2.37");
        e.Enter("b=5");
        e.Click(e.w.cmdRemCons); // nothing selected
        QCOMPARE(e.List(), (QStringList{"a=2.37", "b=5"}));
        e.w.ScriptControl1.ExecuteStatement("a=2.37");
        e.Pick(0);
        QCOMPARE(e.w.cboConstants->currentText(), "a=2.37");
        e.Click(e.w.cmdRemCons);
        QCOMPARE(e.List(), QStringList{"b=5"});
        QCOMPARE(TableOf(e.dim), e.List());
        QCOMPARE(e.w.ScriptControl1.Eval("a").number, 0.0);
        QVERIFY(e.reporter.shown.empty());
    }
    void editingThePickedTextDeselects() {
        ConstantsWindow e;
        e.Enter("a=1");
        e.Pick(0);
        QTest::keyClick(e.w.cboConstants->lineEdit(), Qt::Key_End);
        QTest::keyClicks(e.w.cboConstants->lineEdit(), "0");
        e.Click(e.w.cmdRemCons);
        QCOMPARE(e.List(), QStringList{"a=1"});
    }
    void removingAKeywordIsReportedAndStillRemoves() {
        ConstantsWindow e;
        e.Enter("Dim=1");
        e.Pick(0);
        e.Click(e.w.cmdRemCons);
        QCOMPARE(e.List(), QStringList{});
        QCOMPARE(e.dim.NumCons, 0);
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(e.reporter.shown[0].title, std::string("Error in Script Control"));
    }
};

QTEST_MAIN(ConstantsTest)
#include "constants_test.moc"
