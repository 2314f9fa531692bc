#include "ui/Twips.h"

#include <QLabel>
#include <QWidget>
#include <cmath>

namespace vantrel {

int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / TwipsPerPixel));
}

QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

void PlaceTwips(QWidget& widget, int left, int top, int width, int height) {
    widget.setGeometry(TwipsRect(left, top, width, height));
}

void WidenToText(QLabel& label) {
    const int needed = label.fontMetrics().horizontalAdvance(label.text()) +
                       2 * (label.frameWidth() + label.margin());
    if (needed > label.width()) label.resize(needed, label.height());
}

} // namespace vantrel
