#pragma once
// The main window's status bar StatusBar1: panel 1 the activity message ("Ready" at start), panel 2 the
// crawl level or engine (empty at start), panel 3 the search activity ("Idle" at start) and panel 4 the
// progress of a running search. Panels are permanent labels, so screen readers and tests can read them:
// what a panel shows is what assistive technology reads, and changes of panels 1 and 3 are announced.
// Panel 1, the one the user reads, keeps at least half the bar; the progress panel takes what is left and
// shows a compact form ("16 pages · 17 queued · 3 files", cut to fit) with the long form as its tooltip.
// Progress and announcements arrive as often as the engine likes; each repaints or speaks at most every
// kProgressInterval ms and always ends on the latest text once the interval has passed.

#include <QStatusBar>
#include <QTimer>
#include <array>
#include <optional>

class QLabel;

namespace vorlane::ui {

class ElidedLabel;
class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kProgressInterval = 250;

    explicit StatusPanels(QWidget* parent = nullptr);
    ~StatusPanels() override;

    // Panels are numbered from 1, as the user sees them; 4 is the progress panel, whose text is the long
    // form ("16 pages crawled, 17 queued, 3 files found").
    QString panelText(int panel) const;
    QLabel* panel(int panel) const;

public slots:
    void setMessage(const QString& text);  // panel 1
    void setLevel(const QString& text);    // panel 2
    void setActivity(const QString& text); // panel 3
    void setProgress(int pagesDone, int pagesQueued, int filesFound);
    void flushProgress(); // shows pending figures now (e.g. when a search ends)

signals:
    // Panel 1 or 3 was announced to assistive technology with its new text.
    void announced(int panel);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setPanelText(int index, const QString& text);
    void announcePending();

    std::array<ElidedLabel*, 4> m_panels{};
    QTimer m_progressTimer;
    QTimer m_announceTimer;
    std::array<bool, 3> m_announcePending{};
    struct Figures {
        int pagesDone, pagesQueued, filesFound;
    };
    std::optional<Figures> m_pendingProgress;
};

} // namespace vorlane::ui
