#include "ui/MenuKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace vantrel {

namespace {

// The platform's own style, with the menu bar's navigation by a lone Alt switched on (styles that
// follow desktops without it leave it off), and the item chosen from the keyboard drawn as
// highlighted as an open one, so that the user sees where the focus is.
class MenuBarStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_MenuBar_AltKeyNavigation) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuBarItem && widget && widget->hasFocus() &&
            (option->state & State_Selected)) {
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem chosen(*item);
                chosen.state |= State_Sunken;
                QProxyStyle::drawControl(element, &chosen, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

// F10 reaches the window when no control takes it. It plays a lone Alt press and release to the
// control with the focus, the way the menu bar expects a lone Alt to come.
class F10AsAlt : public QObject {
public:
    explicit F10AsAlt(QMainWindow& window) : QObject(&window), window_(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F10 || key->modifiers() != Qt::NoModifier) return false;
        QWidget* focus = QApplication::focusWidget();
        QObject* target = focus ? static_cast<QObject*>(focus) : &window_;
        QKeyEvent altOverride(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent altDown(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
        QKeyEvent altUp(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
        for (QKeyEvent* alt : {&altOverride, &altDown, &altUp})
            QCoreApplication::sendEvent(target, alt);
        return true;
    }

private:
    QMainWindow& window_;
};

} // namespace

void EnableMenuBarKeys(QMainWindow& window) {
    QMenuBar* bar = window.menuBar();
    auto* style = new MenuBarStyle;
    style->setParent(bar);
    bar->setStyle(style);
    window.installEventFilter(new F10AsAlt(window));
}

} // namespace vantrel
