// The program's icon: the red integral sign on cyan. The window, the desktop's icon theme (PNG
// sizes and SVG) and the package all take it from here.
#pragma once

#include <QImage>
#include <QString>

namespace vantrel {

// The icon drawn on a square of size pixels.
QImage AppIconImage(int size);
// The same drawing as an SVG document.
QString AppIconSvg();

} // namespace vantrel
