#pragma once
// Window measures are designed in twips (1/1440 inch, 15 twips a pixel at 96 dpi); these turn them into
// pixels for the screen a widget is on.

#include <QWidget>
#include <cmath>

namespace vorlane::shell {

inline int twipsToPixels(int twips, qreal dotsPerInch) {
    return int(std::lround(twips * dotsPerInch / 1440.0));
}

inline int twipsToPixelsX(const QWidget* widget, int twips) {
    return twipsToPixels(twips, widget->logicalDpiX());
}

inline int twipsToPixelsY(const QWidget* widget, int twips) {
    return twipsToPixels(twips, widget->logicalDpiY());
}

} // namespace vorlane::shell
