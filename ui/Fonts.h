// The fonts of the windows and the report. Each names the classic face first and then close free
// faces (Liberation, DejaVu), so that the text keeps its metrics where the classic face is absent.
#pragma once

#include <QFont>
#include <QString>

namespace vantrel {

QFont SansSerifFont(double points, bool bold = false); // "MS Sans Serif"
QFont VerdanaFont(double points, bool bold = false);   // "Verdana"
QFont SymbolFont(double points);                       // "Symbol", for the integral sign
QFont CourierNewFont(double points);                   // "Courier New"

// The integral sign, U+222B (character 0xF2 of the Symbol face).
QString IntegralSign();

} // namespace vantrel
