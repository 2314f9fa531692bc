#include "ui/FocusGuard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace vantrel {

namespace {
// The focus reasons that do not take the focus away from the field for good.
bool IsPassing(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
           reason == Qt::MenuBarFocusReason;
}

// The widget that a click at hit gives the focus to, as the windowing system decides it.
QWidget* ClickFocusTarget(QWidget* hit) {
    for (QWidget* w = hit; w; w = w->parentWidget()) {
        if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus)) {
            while (w->focusProxy())
                w = w->focusProxy();
            return w;
        }
        if (w->isWindow()) break;
    }
    return nullptr;
}

bool IsMenu(QWidget* widget) {
    return qobject_cast<QMenuBar*>(widget) || qobject_cast<QMenu*>(widget);
}
} // namespace

FocusGuard::FocusGuard(QWidget& window) : QObject(&window), window_(window) {
    qApp->installEventFilter(this);
}

FocusGuard::~FocusGuard() {
    qApp->removeEventFilter(this);
}

void FocusGuard::Watch(QWidget& field, Handlers handlers) {
    if (!fields_.contains(&field)) {
        connect(&field, &QObject::destroyed, this, [this](QObject* gone) {
            auto* widget = static_cast<QWidget*>(gone);
            fields_.erase(widget);
            if (current_ == widget) current_ = nullptr;
            if (cleared_ == widget) cleared_ = nullptr;
        });
    }
    fields_[&field] = std::move(handlers);
    if (!current_ && FieldOf(QApplication::focusWidget()) == &field) current_ = &field;
}

std::vector<QWidget*> FocusGuard::Fields() const {
    std::vector<QWidget*> fields;
    for (const auto& entry : fields_)
        fields.push_back(entry.first);
    return fields;
}

QWidget* FocusGuard::FieldOf(QWidget* widget) const {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (fields_.contains(w)) return w;
        if (w->isWindow()) break;
    }
    return nullptr;
}

bool FocusGuard::Validate(QWidget* field) {
    auto found = fields_.find(field);
    if (found == fields_.end() || !found->second.Validate) return true;
    auto validate = found->second.Validate; // the handler may re-watch the field
    bool cancel = false;
    validate(cancel);
    return !cancel;
}

void FocusGuard::Run(QWidget* field, std::function<void()> Handlers::*handler) {
    auto found = fields_.find(field);
    if (found == fields_.end() || !(found->second.*handler)) return;
    auto run = found->second.*handler;
    run();
}

bool FocusGuard::MayLeave() {
    if (!current_ || FieldOf(QApplication::focusWidget()) != current_) return true;
    if (!Validate(current_)) return false;
    cleared_ = current_;
    return true;
}

bool FocusGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        return FiltersKey(watched, event);
    case QEvent::Shortcut:
        return FiltersShortcut(watched);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return FiltersWindowClick(watched, event);
    case QEvent::FocusIn:
        FocusIn(watched, event);
        return false;
    case QEvent::FocusOut:
        FocusOut(watched, event);
        return false;
    default:
        return false;
    }
}

bool FocusGuard::FiltersKey(QObject* watched, QEvent* event) {
    if (watched != QApplication::focusWidget()) return false;
    cleared_ = nullptr;
    swallowPress_ = false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (!tab || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    return !MayLeave();
}

bool FocusGuard::FiltersShortcut(QObject* watched) {
    if (!watched->isWidgetType()) return false;
    auto* target = static_cast<QWidget*>(watched);
    if (target->window() != &window_ || IsMenu(target) || FieldOf(target) == current_) return false;
    cleared_ = nullptr;
    swallowPress_ = false;
    if (!MayLeave()) return true;
    // A mnemonic takes the focus to its control before it acts, as a click would.
    if (target->focusPolicy() != Qt::NoFocus && target->isEnabled())
        target->setFocus(Qt::ShortcutFocusReason);
    return false;
}

bool FocusGuard::FiltersWindowClick(QObject* watched, QEvent* event) {
    if (watched->isWidgetType()) {
        // A click delivered straight to a control after the focus was taken back from it.
        const bool swallow = swallowPress_;
        swallowPress_ = false;
        return swallow;
    }
    if (!watched->isWindowType() || watched != window_.windowHandle()) return false;
    cleared_ = nullptr;
    swallowPress_ = false;
    const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
    QWidget* hit = window_.childAt(position);
    QWidget* target = ClickFocusTarget(hit ? hit : &window_);
    if (!target || FieldOf(target) == current_) return false;
    return !MayLeave();
}

void FocusGuard::FocusIn(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) return;
    QWidget* field = FieldOf(static_cast<QWidget*>(watched));
    if (!field || field == current_) return;
    current_ = field;
    if (!IsPassing(static_cast<QFocusEvent*>(event)->reason())) Run(field, &Handlers::GotFocus);
}

void FocusGuard::FocusOut(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType() || !current_) return;
    if (FieldOf(static_cast<QWidget*>(watched)) != current_) return;
    if (FieldOf(QApplication::focusWidget()) == current_) return; // moving inside the field
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (IsPassing(reason)) return;
    QWidget* field = current_;
    const bool cleared = cleared_ == field;
    current_ = nullptr;
    cleared_ = nullptr;
    if (!field->isEnabled() || !field->isVisible()) return;
    if (!cleared && !Validate(field)) {
        current_ = field;
        swallowPress_ = reason == Qt::MouseFocusReason;
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    Run(field, &Handlers::LostFocus);
}

} // namespace vantrel
