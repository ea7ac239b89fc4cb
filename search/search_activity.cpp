#include "search_activity.h"

#include "app/session.h"

#include <QPushButton>

namespace vorlane::search {

SearchActivity::SearchActivity(app::Session& session, store::CampaignType type, QPushButton* search,
                               QPushButton* pauseResume, QPushButton* stop, QObject* parent)
    : QObject(parent), m_session(session), m_type(type), m_search(search), m_pauseResume(pauseResume),
      m_stop(stop) {
    connect(m_pauseResume, &QPushButton::clicked, this, &SearchActivity::togglePause);
    connect(m_stop, &QPushButton::clicked, this, &SearchActivity::stop);
    connect(&m_session, &app::Session::searchFinished, this, [this](store::CampaignType finished) {
        if (finished == m_type)
            enterIdle();
    });
    enterIdle();
}

void SearchActivity::enterRunning() {
    if (!m_session.isRunning(m_type))
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

void SearchActivity::togglePause() {
    if (!m_session.isRunning(m_type))
        return;
    if (!m_session.isPaused(m_type)) {
        m_session.pause(m_type);
        m_pauseResume->setText(QStringLiteral("Resume"));
        m_search->setEnabled(false);
        m_stop->setEnabled(false);
    } else {
        m_session.resume(m_type);
        m_pauseResume->setText(QStringLiteral("Pause"));
        m_stop->setEnabled(true);
    }
}

void SearchActivity::stop() {
    m_session.stop(m_type);
}

} // namespace vorlane::search
