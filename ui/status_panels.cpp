#include "ui/status_panels.h"

#include "ui/elided_label.h"

#include <QAccessible>
#include <QLabel>

namespace vorlane::ui {

namespace {

QString longProgressText(int pagesDone, int pagesQueued, int filesFound) {
    return QStringLiteral("%1 pages crawled, %2 queued, %3 files found")
        .arg(pagesDone)
        .arg(pagesQueued)
        .arg(filesFound);
}

QString compactProgressText(int pagesDone, int pagesQueued, int filesFound) {
    return QStringLiteral("%1 pages · %2 queued · %3 files").arg(pagesDone).arg(pagesQueued).arg(filesFound);
}

} // namespace

StatusPanels::StatusPanels(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setAccessibleName(QStringLiteral("Status bar"));
    setSizeGripEnabled(true);
    // The role goes in the description: the name is the text, so a screen reader hears "Done.", not
    // "Message".
    const char* const roles[] = {"Message", "Level", "Activity", "Progress"};
    const char* const initial[] = {"Ready", "", "Idle", ""};
    for (int i = 0; i < 4; ++i) {
        auto* label = new ElidedLabel(this);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setAccessibleDescription(QString::fromLatin1(roles[i]));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(i == 0 ? 40 : 60);
        label->setFullText(QString::fromLatin1(initial[i]));
        m_panels[std::size_t(i)] = label;
    }
    // Panel 1 carries long addresses and is the one the user reads: it keeps at least half the bar (see
    // resizeEvent) and takes the room that is left. The progress panel gets a share of what remains after
    // the level and activity; none of them may widen the window.
    m_panels[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_panels[3]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addPermanentWidget(m_panels[0], 3);
    addPermanentWidget(m_panels[1], 0);
    addPermanentWidget(m_panels[2], 0);
    addPermanentWidget(m_panels[3], 1);

    m_progressTimer.setSingleShot(true);
    m_progressTimer.setInterval(kProgressInterval);
    connect(&m_progressTimer, &QTimer::timeout, this, &StatusPanels::flushProgress);
    m_announceTimer.setSingleShot(true);
    m_announceTimer.setInterval(kProgressInterval);
    connect(&m_announceTimer, &QTimer::timeout, this, &StatusPanels::announcePending);
}

StatusPanels::~StatusPanels() = default;

QLabel* StatusPanels::panel(int panel) const {
    return panel >= 1 && panel <= 4 ? m_panels[std::size_t(panel - 1)] : nullptr;
}

QString StatusPanels::panelText(int number) const {
    if (number == 4)
        return m_panels[3]->toolTip();
    return number >= 1 && number <= 3 ? m_panels[std::size_t(number - 1)]->fullText() : QString();
}

void StatusPanels::resizeEvent(QResizeEvent* event) {
    m_panels[0]->setMinimumWidth(std::max(40, width() / 2));
    QStatusBar::resizeEvent(event);
}

void StatusPanels::setMessage(const QString& text) {
    setPanelText(0, text);
}

void StatusPanels::setLevel(const QString& text) {
    setPanelText(1, text);
}

void StatusPanels::setActivity(const QString& text) {
    setPanelText(2, text);
}

void StatusPanels::setPanelText(int index, const QString& text) {
    ElidedLabel* label = m_panels[std::size_t(index)];
    if (label->fullText() == text)
        return;
    label->setFullText(text);
    if (index == 1)
        return; // the level follows every page; panel 1 already says which
    m_announcePending[std::size_t(index)] = true;
    if (!m_announceTimer.isActive())
        announcePending();
}

// Tells assistive technology that panel 1 or 3 has new text. A crawl changes panel 1 for every page, so
// the announcements are spaced like the progress panel's repaints; the last text is always announced.
void StatusPanels::announcePending() {
    bool any = false;
    for (std::size_t i = 0; i < m_announcePending.size(); ++i) {
        if (!m_announcePending[i])
            continue;
        m_announcePending[i] = false;
        any = true;
        QAccessibleEvent event(m_panels[i], QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
        emit announced(int(i) + 1);
    }
    if (any)
        m_announceTimer.start();
}

void StatusPanels::setProgress(int pagesDone, int pagesQueued, int filesFound) {
    m_pendingProgress = Figures{pagesDone, pagesQueued, filesFound};
    if (!m_progressTimer.isActive())
        flushProgress();
}

void StatusPanels::flushProgress() {
    if (!m_pendingProgress)
        return;
    const Figures f = *m_pendingProgress;
    m_pendingProgress.reset();
    const QString full = longProgressText(f.pagesDone, f.pagesQueued, f.filesFound);
    ElidedLabel* panel = m_panels[3];
    panel->setFullText(compactProgressText(f.pagesDone, f.pagesQueued, f.filesFound));
    panel->setToolTip(full);
    panel->setAccessibleName(full);
    m_progressTimer.start(); // the next figures wait for the interval to pass
}

} // namespace vorlane::ui
