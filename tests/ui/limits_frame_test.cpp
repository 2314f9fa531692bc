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

// Whether each of the first levels has its column on show.
QList<bool> LevelsShown(const frmVantrel& w, int levels) {
    QList<bool> shown;
    for (int L = 0; L < levels; ++L)
        shown << w.txtUL[L]->isVisible();
    return shown;
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
            const QWidget* controls[] = {w.lblIntSign[L],     w.txtUL[L],      w.txtLL[L],
                                         w.lblFunctionOf[L],  w.lblOverVar[L], w.lblSubintervals[L],
                                         w.txtSubintervals[L]};
            for (const QWidget* control : controls)
                QCOMPARE(control->isVisible(), L < order);
            if (L >= order) continue;
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
    }

    void signRow_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("names");
        QTest::newRow("4") << 4 << "t,z,y,x";
        QTest::newRow("10") << 10 << "a,b,c,d,f,g,h,i,j,k";
    }
    void signRow() {
        QFETCH(int, n);
        QFETCH(QString, names);
        EntryWindow e;
        const frmVantrel& w = e.w;
        e.EnterOrder(
            QString::number(n)); // browse mode from the start, the sign row only with the names
        QVERIFY(w.lblLimits->isVisible());
        QCOMPARE(w.lblIntegNum->text(), "1");
        QVERIFY(w.cmdNextLim->isVisible() && w.cmdPrevLim->isVisible());
        QVERIFY(!w.lblClickSign[0]->isVisible() && !w.txtClickTip->isVisible());
        QCOMPARE(LevelsShown(w, 3), (QList<bool>{true, false, false})); // levels 3 on come later

        e.Type(names);
        e.Tab();
        QCOMPARE(w.lblClickSign.size(), std::size_t(n));
        for (int j = 0; j < n; ++j) {
            QVERIFY(w.lblClickSign[j]->isVisible());
            QCOMPARE(w.lblClickSign[j]->pos(), TwipsRect(1800 + 240 * j, 1890, 0, 0).topLeft());
        }
        QCOMPARE(RedSigns(w), QList<int>{TwipsToPixels(1800 + 240 * (n - 1))}); // level 0
        QCOMPARE(w.txtClickTip->x(), TwipsToPixels(4400));
        QVERIFY(w.txtClickTip->isVisible() &&
                w.lblClickSign.back()->geometry().right() < w.txtClickTip->x());

        e.Click(w.lblClickSign[0]);
        QCOMPARE(w.lblIntegNum->text(), QString::number(n));
        QCOMPARE(RedSigns(w), QList<int>{TwipsToPixels(1800)});
        QCOMPARE(LevelsShown(w, n), QList<bool>(n - 1, false) + QList<bool>{true});
        QCOMPARE(e.Focus(), w.txtUL[n - 1]);
        QCOMPARE(w.txtUL[n - 1]->geometry(), TwipsRect(270, 810, 9165, 285)); // made like level 0
        QVERIFY(w.lblIntSign[0]->isVisible() && w.lblSubintervals[0]->isVisible());
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
        QCOMPARE(LevelsShown(w, 5), (QList<bool>{false, false, false, true, false}));
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
        e.Click(w.cmdPrevLim);
        QCOMPARE(w.txtUL[2]->text(), "y+1");
        QCOMPARE(w.txtLL[2]->text(), "-y");
        QVERIFY(w.txtUL[2]->isVisible());
        QCOMPARE(w.txtUL[2]->selectedText(), "y+1"); // entered again, selected for typing
    }
};

QTEST_MAIN(LimitsFrameTest)
#include "limits_frame_test.moc"
