// A shown main window driven by keys and clicks as a user types a problem.
#pragma once

#include "WindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace vantrel::test {

struct EntryWindow : ShownWindow {
    frmVantrel& w = *window;

    static QWidget* Focus() { return QApplication::focusWidget(); }
    // Typing replaces the focused field's text: entering a field selects it all.
    static void Type(const QString& text) {
        if (auto* field = qobject_cast<QLineEdit*>(Focus())) field->selectAll();
        QTest::keyClicks(Focus(), text);
    }
    static void Tab() { QTest::keyClick(Focus(), Qt::Key_Tab); }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Focus(), key, modifiers);
    }
    static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    // The order typed into the order field, then Tab.
    void EnterOrder(const QString& order) {
        Type(order);
        Tab();
    }
    // The order and the names typed and each left with Tab: focus ends in the error field.
    void EnterProblem(const QString& order, const QString& names) {
        EnterOrder(order);
        Type(names);
        Tab();
    }
    // Every level's limits from 0 to upper[L], with its minimum number of subintervals.
    template <std::size_t N>
    void EnterLimits(const char* const (&upper)[N], const char* const (&subintervals)[N]) {
        for (std::size_t L = 0; L < N; ++L) {
            w.txtUL[L]->setText(upper[L]);
            w.txtLL[L]->setText("0");
            w.txtSubintervals[L]->setText(subintervals[L]);
        }
    }
    void AddConstant(const QString& text) {
        w.cboConstants->setEditText(text);
        w.cmdAddCons_Click();
    }
};

} // namespace vantrel::test
