#pragma once

#include <QIcon>
#include <QString>

namespace celwright {

// Small pictures drawn in code, so the program needs no image files at run time. `name` is the
// button's name without its "Btn_" prefix ("Pencil", "Open", ...).
QIcon DrawnIcon(const QString& name);
// The program's own icon: a film frame with a brush.
QIcon AppIcon();

}  // namespace celwright
