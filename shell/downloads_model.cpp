#include "downloads_model.h"

#include "urls/display_name.h"
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

namespace vorlane::shell {

using store::DownloadState;

namespace {
QString stateText(DownloadState state) {
    QString text = store::downloadStateText(state);
    text[0] = text[0].toUpper();
    return text;
}

QString dataSize(qint64 bytes) {
    return QLocale::system().formattedDataSize(bytes);
}
} // namespace

QString durationText(qint64 seconds) {
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2")
            .arg(hours ? (seconds / 60) % 60 : seconds / 60, hours ? 2 : 1, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours ? QStringLiteral("%1:%2").arg(hours).arg(minutesAndSeconds) : minutesAndSeconds;
}

DownloadsModel::DownloadsModel(QObject* parent) : QAbstractTableModel(parent) {}

int DownloadsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DownloadsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

int DownloadsModel::percent(const store::DownloadRow& row) {
    if (row.state == DownloadState::Done)
        return 100;
    return row.total > 0 ? int(std::clamp<qint64>(row.received * 100 / row.total, 0, 100)) : -1;
}

QVariant DownloadsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& entry = m_rows.at(index.row());
    const store::DownloadRow& row = entry.stored;
    const bool running = row.state == DownloadState::Active && entry.speed > 0;
    if (role == kPercentRole)
        return percent(row);
    if (role == Qt::AccessibleTextRole && index.column() == ProgressColumn) {
        const int done = percent(row);
        return done < 0 ? stateText(row.state)
                        : QStringLiteral("%1, %2%").arg(stateText(row.state)).arg(done);
    }
    if (role == Qt::ToolTipRole && index.column() == StateColumn && !row.error.isEmpty())
        return row.error;
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case FileColumn:
        return row.target.isEmpty() ? urls::displayName(row.url) : QFileInfo(row.target).fileName();
    case SizeColumn:
        return row.total >= 0 ? dataSize(row.total) : QString();
    case ProgressColumn: {
        const int done = percent(row);
        return done < 0 ? QString() : QStringLiteral("%1%").arg(done);
    }
    case SpeedColumn:
        return running ? dataSize(entry.speed) + QStringLiteral("/s") : QString();
    case StateColumn:
        if (running && row.total > 0)
            return QStringLiteral("%1 left").arg(durationText((row.total - row.received) / entry.speed));
        return row.error.isEmpty() || row.state != DownloadState::Failed
                   ? stateText(row.state)
                   : QStringLiteral("Failed: %1").arg(urls::shownText(row.error));
    case AddressColumn:
        return urls::shownAddress(row.url);
    }
    return {};
}

QVariant DownloadsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const titles[] = {"File", "Size", "Progress", "Speed", "Time left / state", "Address"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromLatin1(titles[section]);
    return {};
}

void DownloadsModel::setRows(const QList<store::DownloadRow>& rows) {
    beginResetModel();
    m_rows.clear();
    m_index.clear();
    for (const store::DownloadRow& row : rows) {
        m_index.insert(row.id, int(m_rows.size()));
        m_rows.append(Row{row, 0});
    }
    endResetModel();
}

void DownloadsModel::add(const store::DownloadRow& row) {
    if (rowOfId(row.id) >= 0)
        return;
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_index.insert(row.id, at);
    m_rows.append(Row{row, 0});
    endInsertRows();
}

void DownloadsModel::changed(int row) {
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void DownloadsModel::setTarget(qint64 id, const QString& path) {
    if (const int at = rowOfId(id); at >= 0) {
        m_rows[at].stored.target = path;
        changed(at);
    }
}

void DownloadsModel::setState(qint64 id, DownloadState state, const QString& error) {
    if (const int at = rowOfId(id); at >= 0) {
        m_rows[at].stored.state = state;
        m_rows[at].stored.error = error;
        if (state != DownloadState::Active)
            m_rows[at].speed = 0;
        changed(at);
    }
}

void DownloadsModel::setProgress(qint64 id, qint64 total, qint64 received, int bytesPerSecond) {
    if (const int at = rowOfId(id); at >= 0) {
        m_rows[at].stored.total = total;
        m_rows[at].stored.received = received;
        m_rows[at].speed = bytesPerSecond;
        changed(at);
    }
}

void DownloadsModel::remove(qint64 id) {
    const int at = rowOfId(id);
    if (at < 0)
        return;
    beginRemoveRows({}, at, at);
    m_rows.removeAt(at);
    m_index.clear();
    for (int i = 0; i < m_rows.size(); ++i)
        m_index.insert(m_rows.at(i).stored.id, i);
    endRemoveRows();
}

QString DownloadsModel::summary() const {
    int done = 0;
    qint64 speed = 0;
    qint64 remaining = 0;
    for (const Row& row : m_rows) {
        if (row.stored.state == DownloadState::Done)
            ++done;
        if (row.stored.state == DownloadState::Active) {
            speed += row.speed;
            if (row.stored.total > 0)
                remaining += row.stored.total - row.stored.received;
        }
    }
    QString text = QStringLiteral("%1 of %2 files done").arg(done).arg(m_rows.size());
    if (speed > 0)
        text += QStringLiteral(", %1/s, %2 left").arg(dataSize(speed), durationText(remaining / speed));
    return text;
}

} // namespace vorlane::shell
