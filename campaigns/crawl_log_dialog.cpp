#include "campaigns/crawl_log_dialog.h"

#include "app/session.h"
#include "ui/dialog_controls.h"
#include "ui/message_facade.h"
#include "ui/result_export.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace vorlane::campaigns {

CrawlLogDialog::CrawlLogDialog(app::Session& session, ui::MessageFacade& messages, int campaignId,
                               QWidget* parent)
    : QDialog(parent), m_session(session), m_messages(messages), m_campaignId(campaignId),
      m_filters(app::logFilters()), m_chooser(ui::saveDialogChooser()) {
    setObjectName(QStringLiteral("CrawlLog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(campaignId ? QStringLiteral("Crawl Log - ") + session.campaignLabel(campaignId)
                              : QStringLiteral("Crawl Log"));

    auto* grid = new QGridLayout;
    m_filter = ui::makeLabelledCombo("LogFilter", QStringLiteral("Show:"), false, 24, grid, 0, this);
    for (const app::LogFilter& filter : std::as_const(m_filters))
        m_filter->addItem(filter.text);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("LogCount"));
    grid->addWidget(m_count, 1, 1);
    grid->setColumnStretch(1, 1);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("LogTable"));
    m_table->setAccessibleName(QStringLiteral("Crawl log"));
    m_table->setModel(&m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // The figures take what they need (judged on the first rows), the address the rest.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(CrawlLogModel::Address, QHeaderView::Stretch);
    auto* tableLabel = new QLabel(QStringLiteral("&Pages:"), this);
    tableLabel->setBuddy(m_table);
    grid->addWidget(tableLabel, 2, 0, 1, 2);
    grid->addWidget(m_table, 3, 0, 1, 2);
    grid->setRowStretch(3, 1);

    m_export = ui::makeDialogButton("LogExport", QStringLiteral("Export CSV..."), this);
    m_close = ui::makeDialogButton("LogClose", QStringLiteral("Close"), this);
    ui::layOutDialog(this, grid, {m_export, m_close}, {m_filter, m_table, m_export, m_close});

    connect(m_filter, &QComboBox::currentIndexChanged, this, &CrawlLogDialog::filterChosen);
    connect(m_export, &QPushButton::clicked, this, &CrawlLogDialog::exportShown);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(&session, &app::Session::pageLogged, this, [this](int id, const store::CrawlLogEntry& entry) {
        if (id != m_campaignId)
            return;
        m_model.append(entry);
        updateCount();
    });
    connect(&session, &app::Session::campaignsDeleted, this, &CrawlLogDialog::load);

    resize(760, 420);
    load();
}

void CrawlLogDialog::load() {
    const store::DbResult<QList<store::CrawlLogEntry>> entries =
        m_campaignId ? m_session.crawlLog(m_campaignId) : QList<store::CrawlLogEntry>();
    if (!entries) {
        m_messages.critical(this, entries.error());
        return;
    }
    m_model.setEntries(entries.value());
    updateCount();
}

void CrawlLogDialog::filterChosen(int index) {
    if (index < 0 || index >= m_filters.size())
        return;
    m_model.setFilter(m_filters.at(index));
    updateCount();
}

void CrawlLogDialog::updateCount() {
    m_count->setText(QStringLiteral("%1 of %2 pages").arg(m_model.rowCount()).arg(m_model.totalCount()));
}

void CrawlLogDialog::exportShown() {
    if (!m_chooser)
        return;
    QString path =
        m_chooser(this, QStringLiteral("Export crawl log"), ui::exportFilter(ui::ExportFormat::Csv)).path;
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv");
    QString error;
    if (!ui::writeWholeFile(path, m_model.csv(), &error))
        m_messages.critical(this, error);
}

} // namespace vorlane::campaigns
