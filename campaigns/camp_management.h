#pragma once
// The Campaign Management dialog: lists the saved campaigns by label ("<id> - <type> - <source>"), hands
// the links of the one picked to the main window for ListView3, and deletes one campaign or all of them
// (each deletion in one transaction; Delete All also puts both history markers back to 0), and exports
// one campaign's links to a file (Export..., enabled only while a campaign is selected) or downloads them
// all (Download..., which asks for the download folder the first time and remembers it). Created on
// first use, lives for the rest of the run; closing only hides it. The list is refilled whenever a
// campaign is created or deleted anywhere (Session::campaignsChanged).

#include "app/records.h"
#include "ui/result_actions.h"
#include "ui/tool_dialog.h"

namespace vorlane::ui {
class MessageFacade;
}
class QComboBox;
class QPushButton;
namespace vorlane::app {
class Session;
}

namespace vorlane::campaigns {

class CampManagement : public ui::ToolDialog {
    Q_OBJECT
public:
    CampManagement(app::Session& session, ui::MessageFacade& messages, QWidget* parent = nullptr);

    // Replaces the platform save dialog Export... asks with (tests answer without a real dialog).
    void setFileChooser(ui::ExportFileChooser chooser) { m_chooser = std::move(chooser); }
    // The folder question Download... asks while no download folder is stored: empty when cancelled.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;
    void setFolderChooser(FolderChooser chooser) { m_folderChooser = std::move(chooser); }

private:
    void fillCampaigns();
    void campaignPicked(int index);
    void deleteSelected();
    void deleteAll();
    // Writes every stored link of the selected campaign, in stored order, in the format the chosen file
    // names; failures are shown as a message.
    void exportSelected();
    void downloadSelected();
    // Opens the selected campaign's crawl log in a window of its own.
    void showLog();
    void updateExportEnabled();
    // The campaign picked in the box; 0 when none is.
    int selectedCampaignId() const;
    // A deletion may not pull the campaign from under a running search, which would go on recording
    // links for it.
    bool refuseWhileRecording(int campaignId);

    app::Session& m_session;
    ui::MessageFacade& m_messages;
    QComboBox* m_campaigns;
    QPushButton* m_delete;
    QPushButton* m_deleteAll;
    QPushButton* m_export;
    QPushButton* m_download;
    QPushButton* m_showLog;
    QPushButton* m_close;
    ui::ExportFileChooser m_chooser;
    FolderChooser m_folderChooser;
};

} // namespace vorlane::campaigns
