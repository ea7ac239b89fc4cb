#include "result_list_model.h"

#include "urls/display_name.h"
#include "urls/scheme_rules.h"
#include <QMimeData>
#include <QUrl>
#include <algorithm>

namespace vorlane::ui {

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
    if (parent.isValid())
        return 0;
    return isFiltered() ? int(m_shown.size()) : int(m_rows.size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Entry& entry = m_rows[entryOf(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        // Rows may come from a database written before links were cleaned up: a control or a bidirectional
        // override kept there must not break or reorder the row on screen.
        if (index.column() == FileColumn)
            return urls::shownText(entry.row.fileName);
        return urls::shownAddress(columnText(entry.row, index.column()));
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
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList ResultListModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list"), QStringLiteral("text/plain")};
}

QMimeData* ResultListModel::mimeData(const QModelIndexList& indexes) const {
    // One entry per row however many cells were picked, top to bottom. Only addresses the list would open
    // leave it: a drop target may well open what it receives.
    std::vector<int> shownRows;
    for (const QModelIndex& index : indexes)
        if (index.isValid() && index.model() == this && index.row() < rowCount())
            shownRows.push_back(index.row());
    std::sort(shownRows.begin(), shownRows.end());
    shownRows.erase(std::unique(shownRows.begin(), shownRows.end()), shownRows.end());
    QList<QUrl> urls;
    QStringList lines;
    for (int shownRow : shownRows) {
        // One line of text per row, whatever is stored.
        const QString address = urls::shownAddress(row(shownRow).url);
        if (!urls::isRecordableAddress(address))
            continue;
        urls.append(QUrl(address, QUrl::TolerantMode));
        lines.append(address);
    }
    if (urls.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setUrls(urls);
    data->setText(lines.join(QLatin1Char('\n')));
    return data;
}

Qt::DropActions ResultListModel::supportedDragActions() const {
    return Qt::CopyAction;
}

ResultListModel::Entry ResultListModel::makeEntry(const ResultRow& row) {
    return Entry{row, m_icons.indexFor(fileTypePattern(row.fileName))};
}

bool ResultListModel::before(const Entry& a, const Entry& b) const {
    const int c =
        columnText(a.row, m_sortColumn).compare(columnText(b.row, m_sortColumn), Qt::CaseInsensitive);
    return m_sortOrder == Qt::AscendingOrder ? c < 0 : c > 0;
}

bool ResultListModel::matches(const ResultRow& row) const {
    return row.fileName.contains(m_filter, Qt::CaseInsensitive) ||
           row.url.contains(m_filter, Qt::CaseInsensitive) ||
           row.foundOn.contains(m_filter, Qt::CaseInsensitive);
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
    if (!isFiltered()) {
        beginInsertRows({}, int(at), int(at));
        m_rows.insert(m_rows.begin() + std::ptrdiff_t(at), std::move(entry));
        endInsertRows();
        return;
    }
    // A hidden row still takes its sorted place, so it shows in the right spot once the filter goes.
    const bool shown = matches(entry.row);
    const auto shownAt = std::lower_bound(m_shown.begin(), m_shown.end(), int(at));
    const int shownRow = int(shownAt - m_shown.begin());
    if (shown)
        beginInsertRows({}, shownRow, shownRow);
    m_rows.insert(m_rows.begin() + std::ptrdiff_t(at), std::move(entry));
    for (auto it = shownAt; it != m_shown.end(); ++it)
        ++*it;
    if (shown) {
        m_shown.insert(m_shown.begin() + shownRow, int(at));
        endInsertRows();
    }
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
    if (!isFiltered()) {
        beginInsertRows({}, first, first + int(rows.size()) - 1);
        m_rows.reserve(m_rows.size() + std::size_t(rows.size()));
        for (const ResultRow& row : rows)
            m_rows.push_back(makeEntry(row));
        endInsertRows();
    } else {
        std::vector<int> added;
        for (qsizetype i = 0; i < rows.size(); ++i)
            if (matches(rows[i]))
                added.push_back(first + int(i));
        const int firstShown = int(m_shown.size());
        if (!added.empty())
            beginInsertRows({}, firstShown, firstShown + int(added.size()) - 1);
        m_rows.reserve(m_rows.size() + std::size_t(rows.size()));
        for (const ResultRow& row : rows)
            m_rows.push_back(makeEntry(row));
        m_shown.insert(m_shown.end(), added.begin(), added.end());
        if (!added.empty())
            endInsertRows();
    }
    if (m_sorted)
        resort();
}

void ResultListModel::clear() {
    if (m_rows.empty())
        return;
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_shown.clear();
    m_shown.shrink_to_fit();
    endResetModel();
}

QList<ResultRow> ResultListModel::rows() const {
    if (!isFiltered())
        return allRows();
    QList<ResultRow> out;
    out.reserve(qsizetype(m_shown.size()));
    for (int at : m_shown)
        out.append(m_rows[std::size_t(at)].row);
    return out;
}

QList<ResultRow> ResultListModel::allRows() const {
    QList<ResultRow> out;
    out.reserve(qsizetype(m_rows.size()));
    for (const Entry& entry : m_rows)
        out.append(entry.row);
    return out;
}

QIcon ResultListModel::iconOf(int index) const {
    return m_icons.icon(m_rows.at(entryOf(index)).icon);
}

void ResultListModel::setFilterText(const QString& text) {
    const QString filter = text.trimmed();
    if (filter == m_filter)
        return;
    emit layoutAboutToBeChanged();
    const QModelIndexList oldIndexes = persistentIndexList();
    std::vector<int> oldEntries;
    oldEntries.reserve(std::size_t(oldIndexes.size()));
    for (const QModelIndex& old : oldIndexes)
        oldEntries.push_back(int(entryOf(old.row())));

    // Typing on narrows what is already shown: a row without the shorter text cannot hold the longer one.
    const bool narrowing = isFiltered() && filter.contains(m_filter, Qt::CaseInsensitive);
    m_filter = filter;
    std::vector<int> shown;
    if (isFiltered()) {
        if (narrowing) {
            for (int at : m_shown)
                if (matches(m_rows[std::size_t(at)].row))
                    shown.push_back(at);
        } else {
            for (std::size_t at = 0; at < m_rows.size(); ++at)
                if (matches(m_rows[at].row))
                    shown.push_back(int(at));
        }
    }
    m_shown = std::move(shown);

    QModelIndexList newIndexes;
    newIndexes.reserve(oldIndexes.size());
    for (qsizetype i = 0; i < oldIndexes.size(); ++i) {
        const int entry = oldEntries[std::size_t(i)];
        int newRow = entry;
        if (isFiltered()) {
            const auto it = std::lower_bound(m_shown.begin(), m_shown.end(), entry);
            newRow = it != m_shown.end() && *it == entry ? int(it - m_shown.begin()) : -1;
        }
        newIndexes.append(newRow < 0 ? QModelIndex() : index(newRow, oldIndexes[i].column()));
    }
    changePersistentIndexList(oldIndexes, newIndexes);
    emit layoutChanged();
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

    // The shown rows are the same rows as before, now at their new places. newShownRow maps a position in
    // m_rows to its shown row (the identity without a filter).
    std::vector<int> oldShown;
    std::vector<int> newShownRow;
    if (isFiltered()) {
        oldShown = m_shown;
        std::vector<char> isShown(n, 0);
        for (int at : oldShown)
            isShown[std::size_t(newPosition[std::size_t(at)])] = 1;
        m_shown.clear();
        newShownRow.assign(n, -1);
        for (std::size_t k = 0; k < n; ++k)
            if (isShown[k]) {
                newShownRow[k] = int(m_shown.size());
                m_shown.push_back(int(k));
            }
    }

    // Selection and the current row follow their rows.
    const QModelIndexList oldIndexes = persistentIndexList();
    QModelIndexList newIndexes;
    newIndexes.reserve(oldIndexes.size());
    for (const QModelIndex& old : oldIndexes) {
        if (isFiltered()) {
            const int at = newPosition[std::size_t(oldShown[std::size_t(old.row())])];
            newIndexes.append(index(newShownRow[std::size_t(at)], old.column()));
        } else {
            newIndexes.append(index(newPosition[std::size_t(old.row())], old.column()));
        }
    }
    changePersistentIndexList(oldIndexes, newIndexes);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace vorlane::ui
