#include "search_activity.h"

#include "ui/app_context.h"

#include <QPushButton>

SearchActivity::SearchActivity(AppContext& context, CrawlEngine& engine, QPushButton* search,
                               QPushButton* pauseResume, QPushButton* stop, QObject* parent)
    : QObject(parent), m_context(context), m_engine(engine), m_search(search), m_pauseResume(pauseResume),
      m_stop(stop) {
    connect(m_pauseResume, &QPushButton::clicked, this, &SearchActivity::TogglePause);
    connect(m_stop, &QPushButton::clicked, this, &SearchActivity::stop);
    connect(&m_engine, &CrawlEngine::finished, this, &SearchActivity::enterIdle);
    enterIdle();
}

void SearchActivity::enterRunning() {
    if (!m_engine.isRunning())
        return;
    m_search->setEnabled(false);
    m_pauseResume->setText(QStringLiteral("Pause"));
    m_pauseResume->setEnabled(true);
    m_stop->setEnabled(true);
}

void SearchActivity::enterIdle() {
    m_search->setEnabled(true);
    m_pauseResume->setText(QStringLiteral("Pause"));
    m_pauseResume->setEnabled(false);
    m_stop->setEnabled(false);
}

void SearchActivity::TogglePause() {
    if (!m_engine.isRunning())
        return;
    if (!m_engine.isPaused()) {
        m_engine.pause();
        m_pauseResume->setText(QStringLiteral("Resume"));
        m_search->setEnabled(false);
        m_stop->setEnabled(false);
        emit m_context.activityTextRequested(pausedText());
    } else {
        m_engine.resume();
        m_pauseResume->setText(QStringLiteral("Pause"));
        m_stop->setEnabled(true);
        emit m_context.activityTextRequested(runningText());
    }
}

void SearchActivity::stop() {
    if (!m_engine.isRunning())
        return;
    m_engine.stop();
}

QString SearchActivity::runningText() const {
    return m_engine.kind() == CampaignType::UrlSearch ? QStringLiteral("URL Search running...")
                                                      : QStringLiteral("Web Search running...");
}

QString SearchActivity::pausedText() const {
    return m_engine.kind() == CampaignType::UrlSearch ? QStringLiteral("URL Search paused")
                                                      : QStringLiteral("Web Search paused");
}
