// The check-and-veto convention of the entry fields. A watched field's Validate handler runs
// before the focus leaves it by Tab, Shift+Tab, a mouse click on another control or a keyboard
// mnemonic; setting Cancel keeps the focus in the field, and the click or mnemonic has no
// effect. Its LostFocus handler runs once, after the focus has gone; GotFocus when the focus
// comes in from elsewhere.
//
// Not a leave: opening a menu, switching to another window and closing the window; the focus
// comes back to the field and nothing runs. A field that loses the focus because the program
// disables or hides it runs neither handler. Any other move of the focus (the program setting
// it elsewhere, the mouse wheel) is checked as it happens, and a refused value takes the focus
// back to the field.
#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <vector>

class QWidget;

namespace vantrel {

class FocusGuard : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(bool& Cancel)> Validate{};
        std::function<void()> LostFocus{};
        std::function<void()> GotFocus{};
    };

    // Guards the fields of window, which must outlive the guard.
    explicit FocusGuard(QWidget& window);
    ~FocusGuard() override;

    // Watches field and every widget inside it (a combo box's text line); replaces the field's
    // earlier handlers. A field that is destroyed is forgotten.
    void Watch(QWidget& field, Handlers handlers);
    std::vector<QWidget*> Fields() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FieldOf(QWidget* widget) const;
    // Runs the focused field's Validate; false when the focus must stay.
    bool MayLeave();
    bool Validate(QWidget* field);
    void Run(QWidget* field, std::function<void()> Handlers::*handler);
    bool FiltersKey(QObject* watched, QEvent* event);
    bool FiltersShortcut(QObject* watched);
    bool FiltersWindowClick(QObject* watched, QEvent* event);
    void FocusIn(QObject* watched, QEvent* event);
    void FocusOut(QObject* watched, QEvent* event);

    QWidget& window_;
    std::map<QWidget*, Handlers> fields_;
    QWidget* current_ = nullptr; // the watched field that has the focus
    QWidget* cleared_ = nullptr; // a field whose Validate passed for the leave under way
    bool swallowPress_ = false;  // a click that took the focus from a refused field
};

} // namespace vantrel
