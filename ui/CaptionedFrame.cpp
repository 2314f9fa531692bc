#include "ui/CaptionedFrame.h"

#include <QFontMetrics>
#include <QPainter>

namespace vantrel {

namespace {
constexpr int CaptionPadding = 2; // background on each side of the caption's text
}

CaptionedFrame::CaptionedFrame(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent) {}

QRect CaptionedFrame::CaptionRect() const {
    const QFontMetrics metrics(font());
    return QRect(CaptionIndent - CaptionPadding, 0,
                 metrics.horizontalAdvance(title()) + 2 * CaptionPadding, metrics.height());
}

void CaptionedFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect caption = CaptionRect();
    const QRect border = rect().adjusted(0, caption.center().y(), -2, -2);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(border);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.translated(1, 1));
    painter.fillRect(caption, palette().color(backgroundRole()));
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(caption, Qt::AlignCenter, title());
}

} // namespace vantrel
