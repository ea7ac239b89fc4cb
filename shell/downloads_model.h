#pragma once
// The rows of the Downloads view: one per download, with its file, size, progress, speed, time left or
// state, and address; kept up to date from the session's download signals. A screen reader hears a row's
// state and percentage from its progress cell.

#include "store/download_store.h"
#include <QAbstractTableModel>
#include <QHash>

namespace vorlane::shell {

class DownloadsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        FileColumn,
        SizeColumn,
        ProgressColumn,
        SpeedColumn,
        StateColumn,
        AddressColumn,
        ColumnCount
    };
    static constexpr int kPercentRole = Qt::UserRole + 1; // 0-100, or -1 while not known

    explicit DownloadsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setRows(const QList<store::DownloadRow>& rows);
    void add(const store::DownloadRow& row);
    void setTarget(qint64 id, const QString& path);
    void setState(qint64 id, store::DownloadState state, const QString& error);
    void setProgress(qint64 id, qint64 total, qint64 received, int bytesPerSecond);
    void remove(qint64 id);

    const store::DownloadRow& row(int row) const { return m_rows.at(row).stored; }
    int rowOfId(qint64 id) const { return m_index.value(id, -1); }
    // "3 of 12 files done, 1.2 MB/s, 0:42 left".
    QString summary() const;

private:
    struct Row {
        store::DownloadRow stored;
        int speed = 0;
    };
    void changed(int row);
    static int percent(const store::DownloadRow& row);

    QList<Row> m_rows;
    QHash<qint64, int> m_index;
};

// "1:05" or "1:02:03" for a count of seconds.
QString durationText(qint64 seconds);

} // namespace vorlane::shell
