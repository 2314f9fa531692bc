#include "ui/Look.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace vantrel {

namespace {
void SetRole(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
}
} // namespace

QColor ToolTipColour() {
    return QApplication::palette().color(QPalette::ToolTipBase);
}

void SetBackColour(QWidget& widget, const QColor& colour) {
    SetRole(widget, QPalette::Window, colour);
    widget.setAutoFillBackground(true);
}

void SetFieldColour(QWidget& widget, const QColor& colour) {
    SetRole(widget, QPalette::Base, colour);
}

void SetButtonColour(QWidget& widget, const QColor& colour) {
    SetRole(widget, QPalette::Button, colour);
}

void SetTextColour(QWidget& widget, const QColor& colour) {
    SetRole(widget, QPalette::WindowText, colour);
    SetRole(widget, QPalette::Text, colour);
    SetRole(widget, QPalette::ButtonText, colour);
}

} // namespace vantrel
