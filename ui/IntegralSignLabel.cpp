#include "ui/IntegralSignLabel.h"

#include "ui/Fonts.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace vantrel {

IntegralSignLabel::IntegralSignLabel(QWidget* parent) : QLabel(IntegralSign(), parent) {}

void IntegralSignLabel::paintEvent(QPaintEvent*) {
    QPainterPath glyph;
    glyph.addText(0, 0, font(), text());
    const QRectF outline = glyph.boundingRect();
    if (outline.isEmpty()) return;
    // The part of the box on screen (the limits frame reaches past the window's left edge), with
    // one pixel of air on each side that keeps neighbouring signs of the row apart.
    const QRect shown = contentsRect() & visibleRegion().boundingRect();
    const QRectF box = QRectF(shown.isEmpty() ? contentsRect() : shown).adjusted(1, 1, -1, -1);
    const double sx = std::min(1.0, box.width() / outline.width());
    const double sy = std::min(1.0, box.height() / outline.height());

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.center());
    painter.scale(sx, sy);
    painter.translate(-outline.center());
    painter.fillPath(glyph, palette().color(foregroundRole()));
}

} // namespace vantrel
