#pragma once
// The history list of one search dialog's input box: the command entry "--->>Erase History*" first, then
// the sources of earlier campaigns of that kind above the kind's cleared marker. Picking the command entry
// asks whether to erase; Yes moves the marker up to the newest campaign and leaves the command entry alone.
// Each search that starts appends its text as typed; nothing else changes the list during a run.

#include "app/records.h"

#include <QObject>

namespace vorlane::ui {
class MessageFacade;
}
class QComboBox;
class QWidget;
namespace vorlane::app {
class Session;
}

namespace vorlane::search {

inline const char* const kEraseHistoryEntry = "--->>Erase History*";

class SearchHistory : public QObject {
    Q_OBJECT
public:
    // `box` is the dialog's editable input box, `keepShown` the dialog's keep-shown flag; both must outlive
    // this object (make it a child of the dialog).
    SearchHistory(app::Session& session, ui::MessageFacade& messages, store::CampaignType type,
                  QComboBox* box, bool& keepShown, QWidget* dialog);

    // The command entry, then the stored history; a database failure is shown and leaves the command entry.
    void load();
    // Appended as typed, duplicates included.
    void append(const QString& text);

private:
    void picked(int index);

    app::Session& m_session;
    ui::MessageFacade& m_messages;
    store::CampaignType m_type;
    QComboBox* m_box;
    bool& m_keepShown;
    QWidget* m_dialog;
};

} // namespace vorlane::search
