#pragma once
// The rows of one result list: file name, file address and the page it was found on, each with the small
// icon of its file type. Appends in batches (one insertion notice per batch) and sorts itself, so a list
// of a hundred thousand rows fills and sorts without per-row work in the view.
// Contract: rows() is in display order; once sort() was called, rows added later go to their sorted place.

#include "file_type_icons.h"
#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <vector>

struct ResultRow {
    QString fileName;
    QString url;
    QString foundOn; // empty when not known
};

class ResultListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { FileColumn, UrlColumn, FoundOnColumn, ColumnCount };

    explicit ResultListModel(QObject* parent = nullptr);
    ~ResultListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    void appendRow(const ResultRow& row);
    void appendRows(const QList<ResultRow>& rows);
    void clear();

    const ResultRow& row(int index) const { return m_rows.at(std::size_t(index)).row; }
    QList<ResultRow> rows() const;
    QIcon iconOf(int index) const;

    bool isSorted() const { return m_sorted; }
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    int iconPatternCount() const { return m_icons.count(); }

    // Shown over every row (the list's hint), so the rows do not hide the list's own tooltip.
    void setToolTipText(const QString& text) { m_toolTip = text; }

private:
    struct Entry {
        ResultRow row;
        int icon = 0; // index into m_icons
    };
    Entry makeEntry(const ResultRow& row);
    bool before(const Entry& a, const Entry& b) const; // strict order of the current sort
    void resort();

    std::vector<Entry> m_rows;
    FileTypeIcons m_icons;
    bool m_sorted = false;
    int m_sortColumn = FileColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_toolTip;
};
