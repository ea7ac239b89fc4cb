#include "file_type_icons.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vorlane::ui {

QString fileTypePattern(const QString& fileName) {
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    return QStringLiteral("*.") + (dot < 0 ? fileName : fileName.mid(dot + 1));
}

int FileTypeIcons::indexFor(const QString& pattern) {
    const auto found = m_indexByPattern.constFind(pattern);
    if (found != m_indexByPattern.constEnd())
        return found.value();
    const int index = int(m_icons.size());
    m_icons.append(drawFileTypeIcon(pattern));
    m_indexByPattern.insert(pattern, index);
    return index;
}

QIcon FileTypeIcons::drawFileTypeIcon(const QString& pattern) {
    // The provider and the MIME database both work from a name; nothing is opened. A name that cannot
    // exist on disk is fine: only its suffix is looked at.
    const QString sample = QStringLiteral("file") + pattern.mid(1);
    QIcon icon = m_provider.icon(QFileInfo(sample));
    if (!icon.isNull() && !icon.availableSizes().isEmpty())
        return icon;

    const QMimeType mime = m_mimes.mimeTypeForFile(sample, QMimeDatabase::MatchExtension);
    icon = QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName()));
    if (!icon.isNull() && !icon.availableSizes().isEmpty())
        return icon;

    const Kind kind = kindOf(mime);
    auto cached = m_builtIn.constFind(int(kind));
    if (cached == m_builtIn.constEnd())
        cached = m_builtIn.insert(int(kind), builtInIcon(kind));
    return cached.value();
}

FileTypeIcons::Kind FileTypeIcons::kindOf(const QMimeType& mime) {
    const QString name = mime.name();
    if (name.startsWith(QLatin1String("audio/")))
        return Kind::Audio;
    if (name.startsWith(QLatin1String("video/")))
        return Kind::Video;
    if (name.startsWith(QLatin1String("image/")))
        return Kind::Image;
    return Kind::Other;
}

namespace {

// A sheet of paper with a folded corner and a mark for the kind, drawn at one size.
QPixmap drawSheet(int size, FileTypeIcons::Kind kind) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const qreal fold = s * 0.3;
    QPainterPath sheet;
    sheet.moveTo(s * 0.15, s * 0.05);
    sheet.lineTo(s * 0.85 - fold, s * 0.05);
    sheet.lineTo(s * 0.85, s * 0.05 + fold);
    sheet.lineTo(s * 0.85, s * 0.95);
    sheet.lineTo(s * 0.15, s * 0.95);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), qMax(1.0, s / 16)));
    p.setBrush(Qt::white);
    p.drawPath(sheet);

    QColor mark;
    switch (kind) {
    case FileTypeIcons::Kind::Audio:
        mark = QColor(40, 100, 200);
        break;
    case FileTypeIcons::Kind::Video:
        mark = QColor(200, 50, 50);
        break;
    case FileTypeIcons::Kind::Image:
        mark = QColor(40, 150, 60);
        break;
    case FileTypeIcons::Kind::Other:
        mark = QColor(130, 130, 130);
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(mark);
    const QRectF area(s * 0.27, s * 0.42, s * 0.46, s * 0.42);
    switch (kind) {
    case FileTypeIcons::Kind::Audio: { // a note
        p.drawEllipse(QRectF(area.left(), area.bottom() - s * 0.16, s * 0.2, s * 0.16));
        p.drawRect(QRectF(area.left() + s * 0.15, area.top(), s * 0.06, area.height() - s * 0.08));
        p.drawRect(QRectF(area.left() + s * 0.15, area.top(), s * 0.25, s * 0.07));
        break;
    }
    case FileTypeIcons::Kind::Video: { // a play triangle
        QPolygonF play;
        play << area.topLeft() << QPointF(area.right(), area.center().y()) << area.bottomLeft();
        p.drawPolygon(play);
        break;
    }
    case FileTypeIcons::Kind::Image: { // a hill under a sun
        QPolygonF hill;
        hill << area.bottomLeft()
             << QPointF(area.left() + area.width() * 0.4, area.top() + area.height() * 0.3)
             << area.bottomRight();
        p.drawPolygon(hill);
        p.drawEllipse(QRectF(area.right() - s * 0.16, area.top(), s * 0.16, s * 0.16));
        break;
    }
    case FileTypeIcons::Kind::Other: // lines of text
        for (int i = 0; i < 3; ++i)
            p.drawRect(
                QRectF(area.left(), area.top() + i * area.height() / 3, area.width(), qMax(1.0, s / 16)));
        break;
    }
    return pixmap;
}

} // namespace

QIcon FileTypeIcons::builtInIcon(Kind kind) {
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(drawSheet(size, kind));
    return icon;
}

} // namespace vorlane::ui
