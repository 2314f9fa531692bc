#include "ui/Fonts.h"

#include <QStringList>

namespace vantrel {

namespace {
QFont Font(const QStringList& families, double points, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
} // namespace

QFont SansSerifFont(double points, bool bold) {
    return Font({"MS Sans Serif", "Liberation Sans", "DejaVu Sans"}, points, bold);
}

QFont VerdanaFont(double points, bool bold) {
    return Font({"Verdana", "DejaVu Sans", "Liberation Sans"}, points, bold);
}

QFont SymbolFont(double points) {
    // DejaVu Sans carries U+222B; the Symbol face on other desktops maps it as well.
    return Font({"DejaVu Sans", "Symbol", "Liberation Serif"}, points, false);
}

QFont CourierNewFont(double points) {
    return Font({"Courier New", "Liberation Mono", "DejaVu Sans Mono"}, points, false);
}

QString IntegralSign() {
    return QString(QChar(0x222B));
}

} // namespace vantrel
