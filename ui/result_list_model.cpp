#include "result_list_model.h"

#include <algorithm>

namespace {

// Below this many rows a batch joining a sorted list is placed row by row; above it the whole list is
// sorted once, which is cheaper than many insertions into the middle.
constexpr qsizetype kInsertOneByOne = 32;

const QString& columnText(const ResultRow& row, int column) {
    switch (column) {
    case ResultListModel::UrlColumn:
        return row.url;
    case ResultListModel::FoundOnColumn:
        return row.foundOn;
    default:
        return row.fileName;
    }
}

} // namespace

ResultListModel::ResultListModel(QObject* parent) : QAbstractTableModel(parent) {}

ResultListModel::~ResultListModel() = default;

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Entry& entry = m_rows[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return columnText(entry.row, index.column());
    case Qt::ToolTipRole:
        return m_toolTip.isEmpty() ? QVariant() : QVariant(m_toolTip);
    case Qt::DecorationRole:
        if (index.column() == FileColumn)
            return m_icons.icon(entry.icon);
        return {};
    default:
        return {};
    }
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case FileColumn:
        return QStringLiteral("File");
    case UrlColumn:
        return QStringLiteral("File URL");
    case FoundOnColumn:
        return QStringLiteral("Found on");
    default:
        return {};
    }
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

ResultListModel::Entry ResultListModel::makeEntry(const ResultRow& row) {
    return Entry{row, m_icons.indexFor(FileTypePattern(row.fileName))};
}

bool ResultListModel::before(const Entry& a, const Entry& b) const {
    const int c =
        columnText(a.row, m_sortColumn).compare(columnText(b.row, m_sortColumn), Qt::CaseInsensitive);
    return m_sortOrder == Qt::AscendingOrder ? c < 0 : c > 0;
}

void ResultListModel::appendRow(const ResultRow& row) {
    Entry entry = makeEntry(row);
    std::size_t at = m_rows.size();
    if (m_sorted) {
        // After every row that does not sort after it, so equal rows keep the order they came in.
        auto it = std::upper_bound(m_rows.begin(), m_rows.end(), entry,
                                   [this](const Entry& a, const Entry& b) { return before(a, b); });
        at = std::size_t(it - m_rows.begin());
    }
    beginInsertRows({}, int(at), int(at));
    m_rows.insert(m_rows.begin() + std::ptrdiff_t(at), std::move(entry));
    endInsertRows();
}

void ResultListModel::appendRows(const QList<ResultRow>& rows) {
    if (rows.isEmpty())
        return;
    if (m_sorted && rows.size() <= kInsertOneByOne) {
        for (const ResultRow& row : rows)
            appendRow(row);
        return;
    }
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.reserve(m_rows.size() + std::size_t(rows.size()));
    for (const ResultRow& row : rows)
        m_rows.push_back(makeEntry(row));
    endInsertRows();
    if (m_sorted)
        resort();
}

void ResultListModel::clear() {
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}

QList<ResultRow> ResultListModel::rows() const {
    QList<ResultRow> out;
    out.reserve(qsizetype(m_rows.size()));
    for (const Entry& entry : m_rows)
        out.append(entry.row);
    return out;
}

QIcon ResultListModel::iconOf(int index) const {
    return m_icons.icon(m_rows.at(std::size_t(index)).icon);
}

void ResultListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ColumnCount)
        return;
    m_sorted = true;
    m_sortColumn = column;
    m_sortOrder = order;
    resort();
}

void ResultListModel::resort() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const std::size_t n = m_rows.size();
    std::vector<int> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = int(i);
    // Folding letter case once per row, not once per comparison, is what makes 100,000 rows sort quickly;
    // the folded order is the same as before()'s case-insensitive one.
    std::vector<QString> keys(n);
    for (std::size_t i = 0; i < n; ++i)
        keys[i] = columnText(m_rows[i].row, m_sortColumn).toCaseFolded();
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::stable_sort(order.begin(), order.end(), [&keys, ascending](int a, int b) {
        const int c = QStringView(keys[std::size_t(a)]).compare(QStringView(keys[std::size_t(b)]));
        return ascending ? c < 0 : c > 0;
    });

    std::vector<Entry> sorted;
    sorted.reserve(n);
    std::vector<int> newPosition(n);
    for (std::size_t k = 0; k < n; ++k) {
        sorted.push_back(std::move(m_rows[std::size_t(order[k])]));
        newPosition[std::size_t(order[k])] = int(k);
    }
    m_rows = std::move(sorted);

    // Selection and the current row follow their rows.
    const QModelIndexList oldIndexes = persistentIndexList();
    QModelIndexList newIndexes;
    newIndexes.reserve(oldIndexes.size());
    for (const QModelIndex& old : oldIndexes)
        newIndexes.append(index(newPosition[std::size_t(old.row())], old.column()));
    changePersistentIndexList(oldIndexes, newIndexes);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
