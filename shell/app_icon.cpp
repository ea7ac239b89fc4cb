#include "app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vorlane::shell {

QPixmap applicationLogo(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // Rounded square in the program's blue.
    QLinearGradient background(0, 0, 0, 64);
    background.setColorAt(0, QColor(0x2f, 0x6f, 0xd6));
    background.setColorAt(1, QColor(0x1b, 0x3f, 0x8f));
    p.setPen(Qt::NoPen);
    p.setBrush(background);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // A magnifier over a note: finding media.
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 34, 12, 9));
    p.drawRect(QRectF(23, 14, 3.5, 25));
    p.drawRect(QRectF(23, 14, 13, 4));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xff, 0xc8, 0x3d), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawEllipse(QRectF(30, 24, 18, 18));
    p.drawLine(QPointF(46, 40), QPointF(54, 50));
    return pixmap;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(applicationLogo(size));
    return icon;
}

} // namespace vorlane::shell
