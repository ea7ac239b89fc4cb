#pragma once
// The Search, Pause/Resume and Stop buttons of one search dialog, bound to that dialog's crawl engine.
// The engine does the pausing and stopping and writes panel 1 ("Wait...", "Stopped."); this unit only moves
// the buttons between the Idle, Running, Paused and Stopping states and asks the main window for the
// activity texts of a pause and a resume. Nothing here waits:
// Pause and Resume take effect at once and the window stays responsive throughout.

#include <QObject>

class AppContext;
class CrawlEngine;
class QPushButton;

class SearchActivity : public QObject {
    Q_OBJECT
public:
    // The buttons belong to the dialog and must outlive this object (make it a child of the dialog).
    SearchActivity(AppContext& context, CrawlEngine& engine, QPushButton* search, QPushButton* pauseResume,
                   QPushButton* stop, QObject* parent);

    // After a successful start: Search disabled, Pause/Resume and Stop enabled.
    // Does nothing when the crawl has already ended inside its start call.
    void enterRunning();

    // Pause when running, resume when paused; the caption, the other two buttons and the activity text
    // follow. Returns at once either way.
    void TogglePause();
    // Aborts the transfers in flight; the crawl ends "Stopped." at its next step, which returns the
    // buttons to idle. Repeating it before then changes nothing further.
    void stop();

private:
    void enterIdle();
    QString runningText() const;
    QString pausedText() const;

    AppContext& m_context;
    CrawlEngine& m_engine;
    QPushButton* m_search;
    QPushButton* m_pauseResume;
    QPushButton* m_stop;
};
