#pragma once
// The main window's status bar StatusBar1: panel 1 the activity message ("Ready" at start), panel 2 the
// crawl level or engine (empty at start), panel 3 the search activity ("Idle" at start) and panel 4 the
// progress of a running search. Panels are permanent labels, so screen readers and tests can read them.
// Progress arrives as often as the engine likes; the panel repaints at most every kProgressInterval ms and
// always shows the latest figures once the interval has passed.

#include <QStatusBar>
#include <QTimer>
#include <array>

class QLabel;

class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kProgressInterval = 250;

    explicit StatusPanels(QWidget* parent = nullptr);
    ~StatusPanels() override;

    // Panels are numbered from 1, as the user sees them; 4 is the progress panel.
    QString panelText(int panel) const;
    QLabel* panel(int panel) const;

public slots:
    void setMessage(const QString& text);  // panel 1
    void setLevel(const QString& text);    // panel 2
    void setActivity(const QString& text); // panel 3
    void setProgress(int pagesDone, int pagesQueued, int filesFound);
    void flushProgress(); // shows pending figures now (e.g. when a search ends)

private:
    static QString progressText(int pagesDone, int pagesQueued, int filesFound);

    std::array<QLabel*, 4> m_panels{};
    QTimer m_progressTimer;
    QString m_pendingProgress;
};
