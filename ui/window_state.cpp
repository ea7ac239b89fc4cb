#include "window_state.h"

#include <QSettings>
#include <QStringList>

namespace vorlane::ui {

namespace {

constexpr int kMaxColumnWidth = 20000;

QString listKey(int list, const char* key) {
    return QStringLiteral("ListView%1/%2").arg(list + 1).arg(QLatin1String(key));
}

QSettings store() {
    return QSettings(QStringLiteral("Vorlane"), QStringLiteral("Vorlane"));
}

QList<int> parseWidths(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != WindowState::kColumnCount)
        return {};
    QList<int> widths;
    for (const QString& part : parts) {
        bool ok = false;
        const int width = part.trimmed().toInt(&ok);
        if (!ok || width < 1 || width > kMaxColumnWidth)
            return {};
        widths.append(width);
    }
    return widths;
}

} // namespace

WindowState WindowState::read() {
    QSettings settings = store();
    settings.beginGroup(QStringLiteral("Window"));
    WindowState state;
    // Typed values come back typed only when they were written as such; hand-edited text does not count.
    const QVariant size = settings.value(QStringLiteral("Size"));
    if (size.typeId() == QMetaType::QSize && size.toSize().width() > 0 && size.toSize().height() > 0)
        state.size = size.toSize();
    const QVariant position = settings.value(QStringLiteral("Position"));
    if (position.typeId() == QMetaType::QPoint)
        state.position = position.toPoint();
    state.maximized = settings.value(QStringLiteral("Maximized")).toString() == QLatin1String("true");
    bool ok = false;
    const int visible = settings.value(QStringLiteral("VisibleList")).toString().toInt(&ok);
    if (ok && visible >= 1 && visible <= kListCount)
        state.visibleList = visible;
    for (int i = 0; i < kListCount; ++i) {
        ListViewState& list = state.lists[i];
        list.columnWidths = parseWidths(settings.value(listKey(i, "ColumnWidths")).toString());
        const int column = settings.value(listKey(i, "SortColumn")).toString().toInt(&ok);
        const QString order = settings.value(listKey(i, "SortOrder")).toString();
        const bool known = order == QLatin1String("ascending") || order == QLatin1String("descending");
        if (ok && column >= 0 && column < kColumnCount && known) {
            list.sortColumn = column;
            list.sortOrder = order == QLatin1String("ascending") ? Qt::AscendingOrder : Qt::DescendingOrder;
        }
    }
    return state;
}

void WindowState::write() const {
    QSettings settings = store();
    settings.beginGroup(QStringLiteral("Window"));
    // Every key is written or removed, so nothing of an earlier state outlives a change.
    auto put = [&settings](const QString& key, bool present, const QVariant& value) {
        if (present)
            settings.setValue(key, value);
        else
            settings.remove(key);
    };
    put(QStringLiteral("Size"), size.has_value(), size.value_or(QSize()));
    put(QStringLiteral("Position"), position.has_value(), position.value_or(QPoint()));
    settings.setValue(QStringLiteral("Maximized"),
                      maximized ? QStringLiteral("true") : QStringLiteral("false"));
    put(QStringLiteral("VisibleList"), visibleList >= 1 && visibleList <= kListCount, visibleList);
    for (int i = 0; i < kListCount; ++i) {
        const ListViewState& list = lists[i];
        QStringList widths;
        for (int width : list.columnWidths)
            widths.append(QString::number(width));
        put(listKey(i, "ColumnWidths"), !widths.isEmpty(), widths.join(QLatin1Char(',')));
        const bool sorted = list.sortColumn >= 0;
        put(listKey(i, "SortColumn"), sorted, list.sortColumn);
        put(listKey(i, "SortOrder"), sorted,
            list.sortOrder == Qt::AscendingOrder ? QStringLiteral("ascending")
                                                 : QStringLiteral("descending"));
    }
    settings.sync();
}

} // namespace vorlane::ui
