#include "quick_filter_bar.h"

#include "filterable_list.h"
#include <QAbstractItemModel>
#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace vorlane::ui {

QuickFilterBar::QuickFilterBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QuickFilterBar"));
    m_box = new QLineEdit(this);
    m_box->setObjectName(QStringLiteral("QuickFilter"));
    m_box->setAccessibleName(QStringLiteral("Quick filter"));
    m_box->setPlaceholderText(QStringLiteral("Filter the list"));
    m_box->setClearButtonEnabled(true);
    for (QAbstractButton* button : m_box->findChildren<QAbstractButton*>())
        button->setAccessibleName(QStringLiteral("Clear filter"));
    m_box->installEventFilter(this);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("QuickFilterCount"));
    m_count->setAccessibleName(QStringLiteral("Rows shown"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_box, 1);
    layout->addWidget(m_count);
    connect(m_box, &QLineEdit::textChanged, this, &QuickFilterBar::applyFilter);
    updateCount();
}

QuickFilterBar::~QuickFilterBar() = default;

void QuickFilterBar::setList(FilterableList* list) {
    if (list == this->list())
        return;
    for (const QMetaObject::Connection& connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    // A hidden list keeps no filter: it would only cost time on every row a search adds to it.
    if (FilterableList* left = this->list())
        left->setFilterText(QString());
    m_list = list;
    m_widget = list ? list->filteredWidget() : nullptr;
    if (list) {
        const QAbstractItemModel* model = &list->countedModel();
        for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            m_connections.append(connect(model, signal, this, &QuickFilterBar::updateCount));
        m_connections.append(
            connect(model, &QAbstractItemModel::modelReset, this, &QuickFilterBar::updateCount));
        m_connections.append(
            connect(model, &QAbstractItemModel::layoutChanged, this, &QuickFilterBar::updateCount));
    }
    applyFilter();
}

QString QuickFilterBar::countText() const {
    return m_count->text();
}

void QuickFilterBar::applyFilter() {
    if (FilterableList* list = this->list())
        list->setFilterText(m_box->text());
    updateCount();
}

void QuickFilterBar::updateCount() {
    FilterableList* list = this->list();
    const int shown = list ? list->rowCount() : 0;
    const int total = list ? list->totalRowCount() : 0;
    m_count->setText(QStringLiteral("%1 of %2 shown").arg(shown).arg(total));
}

bool QuickFilterBar::eventFilter(QObject* watched, QEvent* event) {
    // Escape empties the box, the quickest way back to every row.
    if (watched == m_box && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !m_box->text().isEmpty()) {
        m_box->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vorlane::ui
