// The colours of the windows and the small helpers that give a control its colours.
#pragma once

#include <QColor>

class QWidget;

namespace vantrel {

namespace colour {
inline const QColor Cyan{0x00, 0xFF, 0xFF};
inline const QColor LightGreen{0xC0, 0xFF, 0xC0};
inline const QColor Teal{0x00, 0xC0, 0xC0};
inline const QColor LightOrange{0xFF, 0xC0, 0x80};
inline const QColor LightYellow{0xFF, 0xFF, 0xC0};
inline const QColor LightRed{0xFF, 0xC0, 0xC0};
inline const QColor Red{0xFF, 0x00, 0x00};
inline const QColor Black{0x00, 0x00, 0x00};
inline const QColor Orange{0xFF, 0x80, 0x00};
} // namespace colour

// The desktop's colour for tooltip backgrounds.
QColor ToolTipColour();

// Background of a window, frame or label (filled).
void SetBackColour(QWidget& widget, const QColor& colour);
// Background of an entry field or of a combo box's text line.
void SetFieldColour(QWidget& widget, const QColor& colour);
void SetButtonColour(QWidget& widget, const QColor& colour);
void SetTextColour(QWidget& widget, const QColor& colour);

} // namespace vantrel
