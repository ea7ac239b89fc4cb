#include "camp_management.h"

#include "app/session.h"
#include "campaigns/crawl_log_dialog.h"
#include "ui/dialog_controls.h"
#include "ui/message_facade.h"
#include "urls/display_name.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane::campaigns {

namespace {

// Hourglass for the lifetime of the object, also when a handler leaves early.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CampManagement::CampManagement(app::Session& session, ui::MessageFacade& messages, QWidget* parent)
    : ui::ToolDialog(session.keepShown().campaigns, parent), m_session(session), m_messages(messages),
      m_chooser(ui::saveDialogChooser()), m_folderChooser([](QWidget* parent, const QString& start) {
          return QFileDialog::getExistingDirectory(parent, QStringLiteral("Download folder"), start);
      }) {
    setObjectName(QStringLiteral("CampManagement"));
    setWindowTitle(QStringLiteral("Campaign Management"));

    auto* grid = new QGridLayout;
    m_campaigns = ui::makeLabelledCombo("Campaigns", QStringLiteral("Select a saved Campaign:"), false, 48,
                                        grid, 0, this);
    m_delete = ui::makeDialogButton("DelCamp", QStringLiteral("Delete"), this);
    m_deleteAll = ui::makeDialogButton("DelAllCamp", QStringLiteral("Delete All"), this);
    m_export = ui::makeDialogButton("ExportBtn", QStringLiteral("Export..."), this);
    m_download = ui::makeDialogButton("DownloadCamp", QStringLiteral("Download..."), this);
    m_showLog = ui::makeDialogButton("ShowLogBtn", QStringLiteral("Show Log..."), this);
    m_close = ui::makeDialogButton("Clse", QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    // Export... stands apart from the buttons that delete, and comes last on Tab so the established order of
    // those stays as users know it.
    buttons->addWidget(m_export);
    buttons->addWidget(m_download);
    buttons->addWidget(m_showLog);
    buttons->addStretch();
    for (QPushButton* button : {m_delete, m_deleteAll, m_close})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    setTabOrder(m_campaigns, m_delete);
    setTabOrder(m_delete, m_deleteAll);
    setTabOrder(m_deleteAll, m_close);
    setTabOrder(m_close, m_export);
    setTabOrder(m_export, m_download);
    setTabOrder(m_download, m_showLog);

    connect(m_campaigns, &QComboBox::activated, this, &CampManagement::campaignPicked);
    connect(m_delete, &QPushButton::clicked, this, &CampManagement::deleteSelected);
    connect(m_deleteAll, &QPushButton::clicked, this, &CampManagement::deleteAll);
    connect(m_export, &QPushButton::clicked, this, &CampManagement::exportSelected);
    connect(m_showLog, &QPushButton::clicked, this, &CampManagement::showLog);
    connect(m_download, &QPushButton::clicked, this, &CampManagement::downloadSelected);
    connect(m_close, &QPushButton::clicked, this, &CampManagement::hide);
    connect(m_campaigns, &QComboBox::currentIndexChanged, this, &CampManagement::updateExportEnabled);
    connect(&session, &app::Session::campaignsChanged, this, &CampManagement::fillCampaigns);

    fillCampaigns();
}

void CampManagement::fillCampaigns() {
    const store::DbResult<QList<store::CampaignRecord>> campaigns = m_session.campaigns();
    m_campaigns->clear();
    if (!campaigns) {
        m_messages.critical(this, campaigns.error());
        return;
    }
    for (const store::CampaignRecord& campaign : campaigns.value())
        m_campaigns->addItem(campaign.label, campaign.id);
    m_campaigns->setCurrentIndex(-1);
    updateExportEnabled();
}

void CampManagement::updateExportEnabled() {
    const bool selected = m_campaigns->currentIndex() >= 0 && selectedCampaignId() != 0;
    m_export->setEnabled(selected);
    m_showLog->setEnabled(selected);
    m_download->setEnabled(selected);
}

int CampManagement::selectedCampaignId() const {
    return m_campaigns->currentIndex() < 0 ? 0 : m_campaigns->currentData().toInt();
}

void CampManagement::campaignPicked(int index) {
    if (index < 0)
        return;
    const int id = selectedCampaignId();
    const store::DbStatus loaded = [&] {
        WaitCursor wait;
        return m_session.loadCampaign(id);
    }();
    if (!loaded)
        m_messages.critical(this, loaded.error());
}

bool CampManagement::refuseWhileRecording(int campaignId) {
    if (!m_session.isRecording(campaignId))
        return false;
    keepShown() = true;
    m_messages.critical(this,
                        campaignId == 0
                            ? QStringLiteral("Please stop the running search before deleting all campaigns.")
                            : QStringLiteral("Please stop the running search before deleting its campaign."));
    return true;
}

void CampManagement::deleteSelected() {
    const int id = selectedCampaignId();
    if (m_campaigns->currentIndex() < 0 || id == 0) {
        keepShown() = true;
        m_messages.critical(this, QStringLiteral("Please select a campaign from the dropdown."));
        m_campaigns->setFocus();
        return;
    }
    const bool yes =
        m_messages.question(this, QStringLiteral("Are sure you want to delete the selected campaign?"));
    keepShown() = true;
    if (!yes || refuseWhileRecording(id))
        return;
    store::DbStatus deleted = [&] {
        WaitCursor wait;
        return m_session.deleteCampaign(id);
    }();
    if (!deleted)
        m_messages.critical(this, deleted.error());
}

void CampManagement::deleteAll() {
    const bool yes =
        m_messages.question(this, QStringLiteral("Are sure you want to delete all saved campaigns?"));
    keepShown() = true;
    if (!yes || refuseWhileRecording(0))
        return;
    const store::DbStatus done = [&] {
        WaitCursor wait;
        return m_session.deleteAllCampaigns();
    }();
    if (!done)
        m_messages.critical(this, done.error());
}

void CampManagement::showLog() {
    const int id = selectedCampaignId();
    if (id == 0)
        return;
    keepShown() = true; // the log window is one of the program's: its activation must not hide this one
    auto* log = new CrawlLogDialog(m_session, m_messages, id, this);
    log->show();
    log->activateWindow();
}

void CampManagement::exportSelected() {
    const int id = selectedCampaignId();
    if (id == 0 || !m_chooser)
        return;
    const QString label = m_campaigns->currentText();
    // The save dialog is a window of the program; without the flag its activation would hide this one.
    keepShown() = true;
    const ui::ExportTarget target = m_chooser(this, QStringLiteral("Export campaign"), ui::exportFilters());
    if (target.path.isEmpty())
        return;
    QString path = target.path;
    std::optional<ui::ExportFormat> format = ui::exportFormatForFile(path);
    if (!format) {
        format = ui::exportFormatForFilter(target.filter).value_or(ui::ExportFormat::PlainList);
        if (QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + ui::exportSuffix(*format);
    }
    QString error;
    const bool written = [&] {
        WaitCursor wait;
        const store::DbResult<QList<store::FileLinkRow>> links = m_session.campaignLinks(id);
        if (!links) {
            error = links.error();
            return false;
        }
        QList<ui::ExportRow> rows;
        rows.reserve(links.value().size());
        for (const store::FileLinkRow& link : links.value())
            rows.append(ui::ExportRow{urls::displayName(link.url), link.url, label, link.foundOn});
        return ui::writeExport(path, rows, *format, &error);
    }();
    if (!written)
        m_messages.critical(this, error);
}

void CampManagement::downloadSelected() {
    const int id = selectedCampaignId();
    if (id == 0)
        return;
    app::DownloadSettings settings = m_session.downloads().settings();
    if (settings.folder.isEmpty()) {
        keepShown() = true; // the folder dialog is a window of the program
        const QString folder =
            m_folderChooser ? m_folderChooser(this, app::Downloads::defaultFolder()) : QString();
        if (folder.isEmpty())
            return;
        settings.folder = folder;
        if (const store::DbStatus saved = m_session.saveDownloadSettings(settings); !saved)
            m_messages.critical(this, saved.error()); // in force for this run all the same
    }
    const store::DbResult<QList<store::FileLinkRow>> links = m_session.campaignLinks(id);
    if (!links)
        return m_messages.critical(this, links.error());
    QStringList addresses;
    for (const store::FileLinkRow& link : links.value())
        addresses.append(link.url);
    if (const auto asked = m_session.downloads().download(addresses, id); !asked)
        m_messages.critical(this, asked.error());
}

} // namespace vorlane::campaigns
