#pragma once
// The Search, Pause/Resume and Stop buttons of one search dialog, bound to that dialog's kind of search.
// The session does the pausing and stopping (and tells the activity texts); this unit only moves the
// buttons between the Idle, Running, Paused and Stopping states. Nothing here waits:
// Pause and Resume take effect at once and the window stays responsive throughout.

#include "app/records.h"

#include <QObject>

namespace vorlane::app {
class Session;
}
class QPushButton;

namespace vorlane::search {

class SearchActivity : public QObject {
    Q_OBJECT
public:
    // The buttons belong to the dialog and must outlive this object (make it a child of the dialog).
    SearchActivity(app::Session& session, store::CampaignType type, QPushButton* search,
                   QPushButton* pauseResume, QPushButton* stop, QObject* parent);

    // After a successful start: Search disabled, Pause/Resume and Stop enabled.
    // Does nothing when the crawl has already ended inside its start call.
    void enterRunning();

    // Pause when running, resume when paused; the caption, the other two buttons and the activity text
    // follow. Returns at once either way.
    void togglePause();
    // Aborts the transfers in flight; the crawl ends "Stopped." at its next step, which returns the
    // buttons to idle. Repeating it before then changes nothing further.
    void stop();

private:
    void enterIdle();

    app::Session& m_session;
    store::CampaignType m_type;
    QPushButton* m_search;
    QPushButton* m_pauseResume;
    QPushButton* m_stop;
};

} // namespace vorlane::search
