#pragma once

#include <QIcon>
#include <QPixmap>

namespace kumoden {

// The program's pictures, from the icon files built into the program.

// The notification-area icon: a sheet with a folded corner over a printer.
QIcon trayIcon();
// The version box's product picture (112 x 88): the same scene with the name.
QPixmap productPicture();

} // namespace kumoden
