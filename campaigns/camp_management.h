#pragma once
// The Campaign Management dialog: lists the saved campaigns by label ("<id> - <type> - <source>"), hands
// the links of the one picked to the main window for ListView3, and deletes one campaign or all of them
// (each deletion in one transaction; Delete All also puts both history markers back to 0). Created on
// first use, lives for the rest of the run; closing only hides it. The list is refilled whenever a
// campaign is created or deleted anywhere (AppContext::campaignsChanged).

#include "search/tool_dialog.h"

class AppContext;
class QComboBox;
class QPushButton;

class CampManagement : public ToolDialog {
    Q_OBJECT
public:
    CampManagement(AppContext& context, QWidget* parent = nullptr);

private:
    void fillCampaigns();
    void campaignPicked(int index);
    void deleteSelected();
    void deleteAll();
    // The id before the first " - " of the box's text; 0 when there is none.
    int selectedCampaignId() const;
    // A deletion may not pull the campaign from under a running search, which would go on recording
    // links for it.
    bool refuseWhileRecording(int campaignId);

    AppContext& m_context;
    QComboBox* m_campaigns;
    QPushButton* m_delete;
    QPushButton* m_deleteAll;
    QPushButton* m_close;
};
