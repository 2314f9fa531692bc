// Keyboard access to the menu bar without mnemonics, as on the desktop the window was designed
// for: F10, or Alt pressed and released alone, puts the focus on the menu bar with its first item
// highlighted; Left and Right move along the bar, Down or Enter opens a menu or runs a command,
// Esc gives the focus back to the control that had it. F10 again leaves the bar too.
#pragma once

class QMainWindow;

namespace vantrel {

void EnableMenuBarKeys(QMainWindow& window);

} // namespace vantrel
