#include "ui/Twips.h"

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

} // namespace vantrel
