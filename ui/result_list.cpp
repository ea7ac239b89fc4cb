#include "result_list.h"

#include "urls/scheme_rules.h"
#include "message_facade.h"
#include "result_actions.h"
#include "url_opener.h"
#include <QHeaderView>
#include <QKeyEvent>
#include <QUrl>

namespace vorlane::ui {

ResultList::ResultList(UrlOpener& opener, MessageFacade& messages, QWidget* parent)
    : QTreeView(parent), m_opener(opener), m_messages(messages) {
    const QString hint = QString::fromLatin1(kResultListHint);
    m_model.setToolTipText(hint);
    setModel(&m_model);
    setToolTip(hint);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true); // keeps scrolling through 100,000 rows cheap
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false); // header clicks follow the list's own direction rule below
    header()->setAccessibleName(QStringLiteral("Columns"));
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &ResultList::headerClicked);
    connect(header(), &QHeaderView::sectionResized, this, [this] {
        if (!m_spreading)
            m_userColumnWidths = true;
    });

    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    m_actions = new ResultActions(*this, m_messages);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto update = [this] { m_actions->updateEnabled(); };
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, update);
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, update);
    connect(&m_model, &QAbstractItemModel::modelReset, this, update);
    connect(&m_model, &QAbstractItemModel::layoutChanged, this, update);
}

ResultList::~ResultList() {
    setModel(nullptr); // the model is a member and goes first otherwise
}

void ResultList::addResultRow(const QString& fileName, const QString& url, const QString& foundOn) {
    m_model.appendRow(ResultRow{fileName, url, foundOn});
}

void ResultList::addResultRows(const QList<ResultRow>& rows) {
    m_model.appendRows(rows);
}

void ResultList::clearResultList() {
    m_model.clear();
}

void ResultList::headerClicked(int column) {
    m_direction = m_direction == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_model.sort(column, m_direction);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, m_direction);
}

QString ResultList::selectedAddress() const {
    const QModelIndexList selected = selectionModel()->selectedRows(ResultListModel::UrlColumn);
    if (selected.isEmpty())
        return {};
    const QString address = selected.first().data().toString();
    return address.isNull() ? QStringLiteral("") : address;
}

void ResultList::spreadColumns(int width) {
    if (m_userColumnWidths)
        return;
    m_spreading = true;
    for (int c = 0; c < ResultListModel::ColumnCount; ++c)
        setColumnWidth(c, width);
    m_spreading = false;
}

QList<int> ResultList::columnWidths() const {
    QList<int> widths;
    for (int c = 0; c < ResultListModel::ColumnCount; ++c)
        widths.append(columnWidth(c));
    return widths;
}

void ResultList::setUserColumnWidths(const QList<int>& widths) {
    for (int c = 0; c < ResultListModel::ColumnCount && c < widths.size(); ++c)
        setColumnWidth(c, widths[c]);
    m_userColumnWidths = true;
}

void ResultList::restoreSort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= ResultListModel::ColumnCount)
        return;
    m_direction = order;
    m_model.sort(column, order);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, order);
}

void ResultList::openSelectedResult() {
    const QString address = selectedAddress();
    if (address.isNull())
        return;
    if (!urls::isRecordableAddress(address)) {
        m_messages.critical(this, QStringLiteral("Only http, https and ftp addresses are opened. "
                                                 "This address was not opened:\n") +
                                      address);
        return;
    }
    m_opener.open(QUrl(address, QUrl::TolerantMode));
}

void ResultList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openSelectedResult();
        event->accept();
        return;
    }
    if (m_actions->handleKey(event)) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ResultList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    openSelectedResult();
}

} // namespace vorlane::ui
