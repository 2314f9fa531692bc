// The frame of user constants typed by a user: added, replaced, refused and removed, with the
// list and the state's table in step.
#include "EntryFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct ConstantsWindow : EntryWindow {
    ConstantsWindow() {
        EnterProblem("1", "x");
        Click(w.cboConstants->lineEdit());
    }
    // The text typed into the constants line, then Enter (or keypad Enter), sent where the
    // windowing system sends keys: to the focus widget, the combo box.
    void Enter(const QString& text, Qt::Key key = Qt::Key_Return) {
        w.cboConstants->lineEdit()->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), key,
                        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    }
    void Pick(int index) {
        w.cboConstants->setCurrentIndex(index);
        emit w.cboConstants->activated(index);
    }
    // The list as shown, after checking that the state's table holds the same.
    QStringList List() const {
        QStringList items, table;
        for (int i = 0; i < w.cboConstants->count(); ++i)
            items << w.cboConstants->itemText(i);
        for (int i = 0; i < dim.NumCons; ++i)
            table << QString::fromStdString(dim.ConsText[i]);
        return items == table ? items : QStringList{"list and table differ"};
    }
};

} // namespace

class ConstantsTest : public QObject {
    Q_OBJECT
private slots:
    void addedByButtonAndByEnter() {
        ConstantsWindow e;
        QTest::keyClicks(e.w.cboConstants->lineEdit(), "a=2.37");
        e.Click(e.w.cmdAddCons);
        QCOMPARE(e.List(), QStringList{"a=2.37"});
        QCOMPARE(e.w.cboConstants->currentText(), "");
        for (const char* text : {"b=2*a", "c=pi/2"})
            e.Enter(text);
        e.Enter("d=", Qt::Key_Enter);
        QCOMPARE(e.List(), (QStringList{"a=2.37", "b=2*a", "c=pi/2", "d="}));
        QVERIFY(e.reporter.shown.empty());
    }
    void refusedTextsStayForCorrection_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: refused without one
        QTest::newRow("digit first") << "2a=1"
                                     << "";
        QTest::newRow("no =") << "a"
                              << "";
        QTest::newRow("comma: no file could carry it") << "m=max(1,2)"
                                                       << "comma";
    }
    void refusedTextsStayForCorrection() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        ConstantsWindow e;
        e.Enter("a=1");
        e.Enter(text);
        QCOMPARE(e.List(), QStringList{"a=1"});
        QCOMPARE(e.w.cboConstants->currentText(), text);
        QCOMPARE(e.reporter.shown.size(), std::size_t(message.isEmpty() ? 0 : 1));
        if (message.isEmpty()) return;
        QVERIFY(QString::fromStdString(e.reporter.shown[0].text).contains(message));
        QCOMPARE(e.reporter.shown[0].title, std::string(AppTitle));
    }
    void sameNameReplacesAndGoesToTheEnd() {
        ConstantsWindow e;
        for (const char* text : {"a=1", "A=1", "b=3", "a=2"})
            e.Enter(text);
        QCOMPARE(e.List(), (QStringList{"A=1", "b=3", "a=2"}));
    }
    void the102ndConstantIsRefused() {
        ConstantsWindow e;
        for (int i = 0; i < Dimension::MaxConstants; ++i)
            e.Enter(QStringLiteral("c%1=%1").arg(i));
        e.Enter("extra=1");
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(e.w.cboConstants->count(), Dimension::MaxConstants);
        QCOMPARE(e.w.cboConstants->currentText(), "extra=1");
        e.w.cboConstants->setEditText("");
        e.Enter("c7=70"); // a replacement still fits
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(e.List().size(), Dimension::MaxConstants);
        QCOMPARE(e.List().back(), "c7=70");
    }

    void removedConstantReadsZero() {
        ConstantsWindow e;
        e.Enter("a=2.37");
        e.Enter("b=5");
        e.Click(e.w.cmdRemCons); // nothing picked
        e.Pick(0);
        QTest::keyClick(e.w.cboConstants->lineEdit(), Qt::Key_End);
        QTest::keyClicks(e.w.cboConstants->lineEdit(), "0"); // an edited pick is no pick
        e.Click(e.w.cmdRemCons);
        QCOMPARE(e.List(), (QStringList{"a=2.37", "b=5"}));
        e.w.ScriptControl1.ExecuteStatement("a=2.37");
        e.Pick(0);
        QCOMPARE(e.w.cboConstants->currentText(), "a=2.37");
        e.Click(e.w.cmdRemCons);
        QCOMPARE(e.List(), QStringList{"b=5"});
        QCOMPARE(e.w.ScriptControl1.Eval("a").number, 0.0);
        QVERIFY(e.reporter.shown.empty());
    }
    void removingAKeywordIsReportedAndStillRemoves() {
        ConstantsWindow e;
        e.Enter("Dim=1");
        e.Pick(0);
        e.Click(e.w.cmdRemCons);
        QCOMPARE(e.List(), QStringList{});
        QCOMPARE(e.reporter.shown.size(), std::size_t(1));
        QCOMPARE(e.reporter.shown[0].title, std::string("Error in Script Control"));
    }
};

QTEST_MAIN(ConstantsTest)
#include "constants_test.moc"
