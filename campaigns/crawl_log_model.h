#pragma once
// The rows of a crawl log view: every entry of one campaign, of which those the chosen filter lets through
// are shown, oldest first. Entries of a running search are appended as they come.

#include "app/crawl_log_text.h"
#include <QAbstractTableModel>
#include <QList>

namespace vorlane::campaigns {

class CrawlLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Address, Level, Outcome, Status, Bytes, Links, Files, Time, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(const QList<store::CrawlLogEntry>& entries);
    void append(const store::CrawlLogEntry& entry);
    void setFilter(const app::LogFilter& filter);
    int totalCount() const { return int(m_entries.size()); }

    // The shown rows as a CSV table with a header line, addresses exactly as logged.
    QByteArray csv() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void refilter();
    QStringList fields(const store::CrawlLogEntry& entry) const;

    QList<store::CrawlLogEntry> m_entries;
    QList<int> m_shown; // indexes into m_entries
    app::LogFilter m_filter;
};

} // namespace vorlane::campaigns
