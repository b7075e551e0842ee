#pragma once

#include <QStringList>

class QWidget;

namespace Torva {

// The keyboard accelerators a window offers at once (Alt and a letter): its
// menu bar's menus, its buttons and the labels that lead to a field. Those
// inside a menu or another window are another scope and are left out.
// Returns one line per letter that more than one of them claims, naming
// them; empty when every accelerator is unique.
QStringList clashingAccelerators(QWidget *window);

} // namespace Torva
