#include "downloads_view.h"

#include "app/downloads.h"
#include "downloads_model.h"
#include "ui/url_opener.h"
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

namespace vorlane::shell {

namespace {

// Draws the progress cell as a progress bar; its text stays for screen readers and copies.
class ProgressDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int percent = index.data(DownloadsModel::kPercentRole).toInt();
        if (percent < 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionProgressBar bar;
        bar.rect = option.rect.adjusted(2, 2, -2, -2);
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = percent;
        bar.text = index.data().toString();
        bar.textVisible = true;
        bar.state = option.state | QStyle::State_Horizontal;
        QApplication::style()->drawControl(QStyle::CE_ProgressBar, &bar, painter);
    }
};

} // namespace

DownloadsView::DownloadsView(ui::UrlOpener& opener, QWidget* parent) : QWidget(parent), m_opener(opener) {
    setObjectName(QStringLiteral("DownloadsView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("DownloadsSummary"));
    m_summary->setAccessibleName(QStringLiteral("Downloads summary"));
    m_summary->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(m_summary);
    m_model = new DownloadsModel(this);
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("DownloadsList"));
    m_list->setAccessibleName(QStringLiteral("Downloads"));
    m_list->header()->setAccessibleName(QStringLiteral("Columns"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_shown = new QSortFilterProxyModel(this);
    m_shown->setSourceModel(m_model);
    m_shown->setFilterKeyColumn(-1);
    m_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_list->setModel(m_shown);
    m_list->setItemDelegateForColumn(DownloadsModel::ProgressColumn, new ProgressDelegate(m_list));
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    layout->addWidget(m_list, 1);

    addAction(QStringLiteral("Pause"), "PauseDownload", {}, [this](qint64 id) { m_downloads->pause(id); });
    addAction(QStringLiteral("Resume"), "ResumeDownload", {}, [this](qint64 id) { m_downloads->resume(id); });
    addAction(QStringLiteral("Cancel"), "CancelDownload", {}, [this](qint64 id) { m_downloads->cancel(id); });
    addAction(QStringLiteral("Retry"), "RetryDownload", {}, [this](qint64 id) { m_downloads->retry(id); });
    addAction(QStringLiteral("Open file"), "OpenDownloadedFile", QKeySequence(Qt::Key_Return),
              [this](qint64 id) {
                  const store::DownloadRow& row = m_model->row(m_model->rowOfId(id));
                  if (row.state == store::DownloadState::Done)
                      m_opener.open(QUrl::fromLocalFile(row.target));
              });
    addAction(QStringLiteral("Open folder"), "OpenDownloadFolder", {}, [this](qint64 id) {
        const QString target = m_model->row(m_model->rowOfId(id)).target;
        if (!target.isEmpty())
            m_opener.open(QUrl::fromLocalFile(QFileInfo(target).absolutePath()));
    });
    addAction(QStringLiteral("Remove from list"), "RemoveDownload", QKeySequence(QKeySequence::Delete),
              [this](qint64 id) { m_downloads->remove(id); });
    addAction(
        QStringLiteral("Copy address"), "CopyDownloadAddress", QKeySequence(QKeySequence::Copy),
        [this](qint64 id) { QApplication::clipboard()->setText(m_model->row(m_model->rowOfId(id)).url); });
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, signal, this, &DownloadsView::updateSummary);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &DownloadsView::updateSummary);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DownloadsView::updateSummary);
    updateSummary();
}

void DownloadsView::addAction(const QString& text, const char* name, const QKeySequence& key,
                              const std::function<void(qint64 id)>& perRow) {
    auto* action = new QAction(text, m_list);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty())
        action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetShortcut);
    m_list->addAction(action);
    connect(action, &QAction::triggered, this, [this, perRow] {
        if (!m_downloads)
            return;
        QList<qint64> ids; // the rows move as some are removed
        for (const int row : selectedRows())
            ids.append(m_model->row(row).id);
        for (const qint64 id : std::as_const(ids))
            if (m_model->rowOfId(id) >= 0)
                perRow(id);
    });
}

QList<int> DownloadsView::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.append(m_shown->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void DownloadsView::attach(app::Downloads& downloads) {
    m_downloads = &downloads;
    if (const auto rows = downloads.rows())
        m_model->setRows(rows.value());
    connect(&downloads, &app::Downloads::added, m_model, &DownloadsModel::add);
    connect(&downloads, &app::Downloads::targetChosen, m_model, &DownloadsModel::setTarget);
    connect(&downloads, &app::Downloads::stateChanged, m_model, &DownloadsModel::setState);
    connect(&downloads, &app::Downloads::progressed, m_model, &DownloadsModel::setProgress);
    connect(&downloads, &app::Downloads::removed, m_model, &DownloadsModel::remove);
}

void DownloadsView::setFilterText(const QString& text) {
    m_shown->setFilterFixedString(text);
}

int DownloadsView::rowCount() const {
    return m_shown->rowCount();
}

int DownloadsView::totalRowCount() const {
    return m_model->rowCount();
}

const QAbstractItemModel& DownloadsView::countedModel() const {
    return *m_shown;
}

void DownloadsView::updateSummary() {
    m_summary->setText(m_model->summary());
}

} // namespace vorlane::shell
