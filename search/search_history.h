#pragma once
// The history list of one search dialog's input box: the command entry "--->>Erase History*" first, then
// the sources of earlier campaigns of that kind above the kind's cleared marker. Picking the command entry
// asks whether to erase; Yes moves the marker up to the newest campaign and leaves the command entry alone.
// Each search that starts appends its text as typed; nothing else changes the list during a run.

#include "store/campaign_type.h"

#include <QObject>

class AppContext;
class QComboBox;
class QWidget;

inline const char* const kEraseHistoryEntry = "--->>Erase History*";

// Moves the kind's history marker to `campaignId` (a failure is ignored: the marker stays where it was,
// so the next start lists the same history again), then leaves `list` with the command entry as its only
// item and an empty text.
void ClearSearchHistory(AppContext& context, CampaignType type, int campaignId, QComboBox* list);

class SearchHistory : public QObject {
    Q_OBJECT
public:
    // `box` is the dialog's editable input box, `keepShown` the dialog's keep-shown flag; both must outlive
    // this object (make it a child of the dialog).
    SearchHistory(AppContext& context, CampaignType type, QComboBox* box, bool& keepShown, QWidget* dialog);

    // The command entry, then the stored history; a database failure is shown and leaves the command entry.
    void load();
    // Appended as typed, duplicates included.
    void append(const QString& text);

private:
    void picked(int index);

    AppContext& m_context;
    CampaignType m_type;
    QComboBox* m_box;
    bool& m_keepShown;
    QWidget* m_dialog;
};
