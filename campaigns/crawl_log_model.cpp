#include "campaigns/crawl_log_model.h"

#include "ui/result_export.h"
#include "urls/display_name.h"

namespace vorlane::campaigns {

namespace {

const char* const kHeaders[CrawlLogModel::ColumnCount] = {"Address", "Level", "Outcome", "Status",
                                                          "Bytes",   "Links", "Files",   "Time (ms)"};

} // namespace

void CrawlLogModel::setEntries(const QList<store::CrawlLogEntry>& entries) {
    m_entries = entries;
    refilter();
}

void CrawlLogModel::refilter() {
    beginResetModel();
    m_shown.clear();
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_filter.matches(m_entries.at(i)))
            m_shown.append(i);
    endResetModel();
}

void CrawlLogModel::append(const store::CrawlLogEntry& entry) {
    m_entries.append(entry);
    if (!m_filter.matches(entry))
        return;
    beginInsertRows({}, int(m_shown.size()), int(m_shown.size()));
    m_shown.append(int(m_entries.size()) - 1);
    endInsertRows();
}

void CrawlLogModel::setFilter(const app::LogFilter& filter) {
    m_filter = filter;
    refilter();
}

QStringList CrawlLogModel::fields(const store::CrawlLogEntry& entry) const {
    const bool answered = entry.httpStatus != 0;
    return {entry.address,
            entry.level,
            app::outcomeText(entry),
            answered ? QString::number(entry.httpStatus) : QString(),
            answered ? QString::number(entry.bytes) : QString(),
            answered ? QString::number(entry.links) : QString(),
            answered ? QString::number(entry.files) : QString(),
            entry.elapsedMs > 0 || answered ? QString::number(entry.elapsedMs) : QString()};
}

QByteArray CrawlLogModel::csv() const {
    QStringList header;
    for (const char* name : kHeaders)
        header.append(QString::fromLatin1(name));
    QByteArray out = ui::csvRecord(header);
    for (const int i : m_shown)
        out += ui::csvRecord(fields(m_entries.at(i)));
    return out;
}

int CrawlLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_shown.size());
}

int CrawlLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CrawlLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown.size())
        return {};
    const store::CrawlLogEntry& entry = m_entries.at(m_shown.at(index.row()));
    if (role == Qt::TextAlignmentRole && index.column() >= Status)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && index.column() == Address)
        return urls::shownAddress(entry.address);
    if (role != Qt::DisplayRole)
        return {};
    if (index.column() == Address)
        return urls::shownAddress(entry.address); // one line, whatever the page wrote
    return fields(entry).at(index.column());
}

QVariant CrawlLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(kHeaders[section]);
}

} // namespace vorlane::campaigns
