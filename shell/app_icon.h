#pragma once
// The program's icon for windows and the tray, drawn in code so it needs no image plug-in; the same
// picture ships as SVG (resources/vorlane.svg) for desktop menus.

#include <QIcon>
#include <QPixmap>

namespace vorlane::shell {

QPixmap applicationLogo(int size);
QIcon applicationIcon();

} // namespace vorlane::shell
