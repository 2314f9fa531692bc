// The limits frame: the columns of orders 1 to 3, the sign row of browse mode, navigation with
// the buttons and the signs, and the texts of the levels not on show.
#include "EntryFixture.h"

#include "ui/Look.h"
#include "ui/Twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace vantrel;
using namespace vantrel::test;

namespace {

QColor TextColour(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

// The left edges of the signs shown in red, in twips.
QList<int> RedSigns(const frmVantrel& w) {
    QList<int> lefts;
    for (const QLabel* sign : w.lblClickSign)
        if (sign->isVisible() && TextColour(sign) == colour::Red) lefts << sign->x();
    return lefts;
}

} // namespace

class LimitsFrameTest : public QObject {
    Q_OBJECT
private slots:
    void columns_data() {
        QTest::addColumn<int>("order");
        QTest::addColumn<QList<int>>("signLefts"); // level 0 first, in twips
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("1") << 1 << QList<int>{0} << QList<int>{9165};
        QTest::newRow("2") << 2 << QList<int>{3180, 0} << QList<int>{5970, 2885};
        QTest::newRow("3") << 3 << QList<int>{4920, 1740, 0} << QList<int>{4260, 2885, 1442};
    }
    void columns() {
        QFETCH(int, order);
        QFETCH(QList<int>, signLefts);
        QFETCH(QList<int>, widths);
        EntryWindow e;
        e.EnterProblem(QString::number(order), QStringList{"x", "y", "z"}.mid(0, order).join(','));
        const frmVantrel& w = e.w;
        for (int L = 0; L < 3; ++L) {
            const bool shown = L < order;
            for (QWidget* control :
                 {static_cast<QWidget*>(w.lblIntSign[L]), static_cast<QWidget*>(w.txtUL[L]),
                  static_cast<QWidget*>(w.txtLL[L]), static_cast<QWidget*>(w.lblFunctionOf[L]),
                  static_cast<QWidget*>(w.lblOverVar[L]),
                  static_cast<QWidget*>(w.lblSubintervals[L]),
                  static_cast<QWidget*>(w.txtSubintervals[L])})
                QCOMPARE(control->isVisible(), shown);
            if (!shown) continue;
            const int s = signLefts[L];
            QCOMPARE(w.lblIntSign[L]->x(), TwipsToPixels(s));
            QCOMPARE(TextColour(w.lblIntSign[L]), colour::Red);
            QCOMPARE(w.txtUL[L]->geometry(), TwipsRect(s + 270, 810, widths[L], 285));
            QCOMPARE(w.txtLL[L]->geometry(), TwipsRect(s + 270, 1560, widths[L], 285));
            QCOMPARE(w.lblFunctionOf[L]->pos(), TwipsRect(s + 270, 1200, 0, 0).topLeft());
            QCOMPARE(w.lblOverVar[L]->pos(), TwipsRect(s + 60, 1770, 0, 0).topLeft());
            QCOMPARE(w.lblSubintervals[L]->x(), TwipsToPixels(s + 60));
            QCOMPARE(w.txtSubintervals[L]->geometry(), TwipsRect(s + 60, 2280, 1140, 285));
        }
        QVERIFY(!w.lblLimits->isVisible());
        QVERIFY(!w.cmdNextLim->isVisible());
        QVERIFY(!w.lblClickSign[0]->isVisible());
        if (order == 1) QCOMPARE(w.lblFunctionOf[0]->text(), "Constants");
    }

    void browseBeforeAndAfterTheNames() {
        EntryWindow e;
        const frmVantrel& w = e.w;
        e.EnterOrder("4");
        QVERIFY(w.lblLimits->isVisible());
        QCOMPARE(w.lblIntegNum->text(), "1");
        QVERIFY(w.cmdNextLim->isVisible());
        QVERIFY(w.cmdPrevLim->isVisible());
        QVERIFY(!w.lblClickSign[0]->isVisible());
        QVERIFY(!w.txtClickTip->isVisible());
        QVERIFY(w.txtUL[0]->isVisible());
        QVERIFY(!w.txtUL[1]->isVisible() && !w.txtUL[2]->isVisible());
        QVERIFY(!w.lblIntSign[1]->isVisible() && !w.lblSubintervals[2]->isVisible());
        QCOMPARE(w.txtUL[0]->geometry(), TwipsRect(270, 810, 9165, 285));

        e.Tab(); // "t,z,y,x"
        QCOMPARE(w.lblClickSign.size(), std::size_t(4));
        for (int j = 0; j < 4; ++j) {
            QVERIFY(w.lblClickSign[j]->isVisible());
            QCOMPARE(w.lblClickSign[j]->pos(), TwipsRect(1800 + 240 * j, 1890, 0, 0).topLeft());
        }
        QCOMPARE(RedSigns(w), QList<int>{TwipsToPixels(2520)});
        QVERIFY(w.txtClickTip->isVisible());
        QCOMPARE(w.txtClickTip->x(), TwipsToPixels(4400));
        QCOMPARE(w.lblOverVar[0]->text(), "t");
        QCOMPARE(w.lblFunctionOf[0]->text(), "f(z,y,x)");
        QVERIFY(w.lblIntSign[0]->isVisible() && w.lblSubintervals[0]->isVisible());

        e.Click(w.lblClickSign[0]);
        QCOMPARE(w.lblIntegNum->text(), "4");
        QCOMPARE(RedSigns(w), QList<int>{TwipsToPixels(1800)});
        QVERIFY(w.lblOverVar[3]->isVisible() && !w.lblOverVar[0]->isVisible());
        QCOMPARE(w.lblOverVar[3]->text(), "x");
        QCOMPARE(w.lblFunctionOf[3]->text(), "Constants");
        QCOMPARE(e.Focus(), w.txtUL[3]);
        QVERIFY(w.lblIntSign[0]->isVisible() && w.lblSubintervals[0]->isVisible());
    }
    void order10SignRowEndsLeftOfTheHint() {
        EntryWindow e;
        e.EnterProblem("10", "a,b,c,d,f,g,h,i,j,k");
        const frmVantrel& w = e.w;
        QCOMPARE(w.lblClickSign.front()->x(), TwipsToPixels(1800));
        QCOMPARE(w.lblClickSign.back()->x(), TwipsToPixels(3960));
        QVERIFY(w.lblClickSign.back()->geometry().right() < w.txtClickTip->x());
        QCOMPARE(RedSigns(w), QList<int>{TwipsToPixels(3960)});
    }

    void nextAndPreviousWrapAround() {
        EntryWindow e;
        e.EnterProblem("5", "a,b,c,d,f");
        frmVantrel& w = e.w;
        QStringList seen;
        for (int i = 0; i < 6; ++i) {
            e.Click(w.cmdNextLim);
            seen << w.lblIntegNum->text();
        }
        QCOMPARE(seen, (QStringList{"2", "3", "4", "5", "1", "2"}));
        for (const char* expected : {"1", "5", "4"}) {
            e.Key(Qt::Key_P, Qt::AltModifier); // the mnemonic of "&Previous Limits"
            QTRY_COMPARE(w.lblIntegNum->text(), expected);
        }
        QCOMPARE(e.Focus(), w.txtUL[3]);
        QCOMPARE(RedSigns(w), QList<int>{TwipsToPixels(1800 + 240)});
        for (int L = 0; L < 5; ++L)
            QCOMPARE(w.txtUL[L]->isVisible(), L == 3);
    }
    void textsOfHiddenLevelsAreKept() {
        EntryWindow e;
        e.EnterProblem("4", "t,z,y,x");
        frmVantrel& w = e.w;
        e.Click(w.lblClickSign[1]); // integration #3, level 2
        QCOMPARE(e.Focus(), w.txtUL[2]);
        e.Type("y+1");
        e.Tab();
        e.Type("-y");
        e.Click(w.cmdNextLim);
        QCOMPARE(e.Focus(), w.txtUL[3]);
        e.Click(w.cmdPrevLim);
        QCOMPARE(w.txtUL[2]->text(), "y+1");
        QCOMPARE(w.txtLL[2]->text(), "-y");
        QVERIFY(w.txtUL[2]->isVisible());
        QCOMPARE(w.txtUL[2]->selectedText(), "y+1"); // entered again, selected for typing
    }
};

QTEST_MAIN(LimitsFrameTest)
#include "limits_frame_test.moc"
