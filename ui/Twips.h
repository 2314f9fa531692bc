// Positions and sizes of the windows are designed in twips; the screen works at 15 twips per
// pixel. Every conversion goes through these helpers.
#pragma once

#include <QRect>

class QLabel;
class QWidget;

namespace vantrel {

inline constexpr int TwipsPerPixel = 15;

// Rounded to the nearest pixel, halves away from zero.
int TwipsToPixels(int twips);
QRect TwipsRect(int left, int top, int width, int height);
void PlaceTwips(QWidget& widget, int left, int top, int width, int height);

// Widens a label whose text needs more room in the platform's face than its designed box gives;
// left edge, top and height stay.
void WidenToText(QLabel& label);

} // namespace vantrel
