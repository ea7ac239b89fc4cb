#pragma once
// The rows of one result list: file name, file address and the page it was found on, each with the small
// icon of its file type. Appends in batches (one insertion notice per batch) and sorts itself, so a list
// of a hundred thousand rows fills and sorts without per-row work in the view. A filter text narrows the
// rows shown without dropping any: the hidden rows stay, keep their sorted place and come back when the
// filter is cleared.
// Contract: rows() is in display order; once sort() was called, rows added later go to their sorted place.
// Row numbers (rowCount, row, rows, index) count the shown rows only; totalRowCount and allRows count all.

#include "file_type_icons.h"
#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <vector>

namespace vorlane::ui {

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

    // Dragging rows out hands over their addresses as URLs and as lines of text.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    void appendRow(const ResultRow& row);
    void appendRows(const QList<ResultRow>& rows);
    void clear();

    const ResultRow& row(int index) const { return m_rows.at(entryOf(index)).row; }
    QList<ResultRow> rows() const;    // shown rows
    QList<ResultRow> allRows() const; // every row, filtered out or not, in sorted order
    int totalRowCount() const { return int(m_rows.size()); }
    QIcon iconOf(int index) const;

    // Shows only the rows whose file name, address or found-on page contains the text, letter case
    // ignored; leading and trailing spaces do not count, and an empty text shows every row. The selection
    // and the current row stay on their rows while those remain shown.
    void setFilterText(const QString& text);
    const QString& filterText() const { return m_filter; }
    bool isFiltered() const { return !m_filter.isEmpty(); }

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
    bool matches(const ResultRow& row) const;
    std::size_t entryOf(int shownRow) const {
        return isFiltered() ? std::size_t(m_shown[std::size_t(shownRow)]) : std::size_t(shownRow);
    }
    void resort();

    std::vector<Entry> m_rows; // every row, in display order
    // While filtered: positions in m_rows of the shown rows, ascending. Unused (empty) otherwise.
    std::vector<int> m_shown;
    QString m_filter;
    FileTypeIcons m_icons;
    bool m_sorted = false;
    int m_sortColumn = FileColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QString m_toolTip;
};

} // namespace vorlane::ui
