#include "status_panels.h"

#include <QLabel>

StatusPanels::StatusPanels(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setAccessibleName(QStringLiteral("Status bar"));
    setSizeGripEnabled(true);
    const char* const names[] = {"Message", "Level", "Activity", "Progress"};
    const char* const initial[] = {"Ready", "", "Idle", ""};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(QString::fromLatin1(initial[i]), this);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        label->setAccessibleName(QString::fromLatin1(names[i]));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText); // addresses from the web are never markup
        // Panel 1 carries long addresses and takes the room that is left; it must not widen the window.
        label->setMinimumWidth(i == 0 ? 40 : 70);
        if (i == 0)
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addPermanentWidget(label, i == 0 ? 1 : 0);
        m_panels[std::size_t(i)] = label;
    }
    m_progressTimer.setSingleShot(true);
    m_progressTimer.setInterval(kProgressInterval);
    connect(&m_progressTimer, &QTimer::timeout, this, &StatusPanels::flushProgress);
}

StatusPanels::~StatusPanels() = default;

QLabel* StatusPanels::panel(int panel) const {
    return panel >= 1 && panel <= 4 ? m_panels[std::size_t(panel - 1)] : nullptr;
}

QString StatusPanels::panelText(int number) const {
    const QLabel* label = panel(number);
    return label ? label->text() : QString();
}

void StatusPanels::setMessage(const QString& text) {
    m_panels[0]->setText(text);
}

void StatusPanels::setLevel(const QString& text) {
    m_panels[1]->setText(text);
}

void StatusPanels::setActivity(const QString& text) {
    m_panels[2]->setText(text);
}

QString StatusPanels::progressText(int pagesDone, int pagesQueued, int filesFound) {
    return QStringLiteral("%1 pages crawled, %2 queued, %3 files found")
        .arg(pagesDone)
        .arg(pagesQueued)
        .arg(filesFound);
}

void StatusPanels::setProgress(int pagesDone, int pagesQueued, int filesFound) {
    m_pendingProgress = progressText(pagesDone, pagesQueued, filesFound);
    if (!m_progressTimer.isActive())
        flushProgress();
}

void StatusPanels::flushProgress() {
    if (m_pendingProgress.isNull())
        return;
    m_panels[3]->setText(m_pendingProgress);
    m_pendingProgress = QString();
    m_progressTimer.start(); // the next figures wait for the interval to pass
}
