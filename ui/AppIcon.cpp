#include "ui/AppIcon.h"

#include "ui/Fonts.h"
#include "ui/Look.h"

#include <QPainter>
#include <QPainterPath>

namespace vantrel {

namespace {

constexpr int DesignSize = 32;
constexpr int GlyphPixels = 27; // the sign at 20 points on a 96-dpi screen

// The sign's outline, its ink centred on the design square.
QPainterPath IntegralGlyph() {
    QFont font = SymbolFont(20);
    font.setPixelSize(GlyphPixels);
    QPainterPath glyph;
    glyph.addText(0, 0, font, IntegralSign());
    const QPointF centre(DesignSize / 2.0, DesignSize / 2.0);
    return glyph.translated(centre - glyph.boundingRect().center());
}

QString SvgNumber(double value) {
    return QString::number(value, 'f', 3);
}

} // namespace

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour::Cyan);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(size) / DesignSize, double(size) / DesignSize);
    painter.fillPath(IntegralGlyph(), colour::Red);
    return image;
}

QString AppIconSvg() {
    const QPainterPath glyph = IntegralGlyph();
    QString path;
    for (int i = 0; i < glyph.elementCount(); ++i) {
        const QPainterPath::Element e = glyph.elementAt(i);
        const QString point = SvgNumber(e.x) + ' ' + SvgNumber(e.y);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            path += (path.isEmpty() ? "M" : "Z M") + point;
            break;
        case QPainterPath::LineToElement:
            path += " L" + point;
            break;
        case QPainterPath::CurveToElement:
            path += " C" + point;
            break;
        case QPainterPath::CurveToDataElement:
            path += ' ' + point;
            break;
        }
    }
    const QString size = QString::number(DesignSize);
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + size + "\" height=\"" + size +
           "\" viewBox=\"0 0 " + size + ' ' + size + "\">\n" + "  <rect width=\"" + size +
           "\" height=\"" + size + "\" fill=\"" + colour::Cyan.name() + "\"/>\n" +
           "  <path fill=\"" + colour::Red.name() + "\" d=\"" + path + " Z\"/>\n</svg>\n";
}

} // namespace vantrel
