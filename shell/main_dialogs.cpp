#include "main_dialogs.h"

#include "about.h"
#include "app/session.h"
#include "campaigns/camp_management.h"
#include "campaigns/crawl_log_dialog.h"
#include "search/url_search.h"
#include "search/web_search.h"
#include "settings/settings_dialog.h"
#include "ui/url_opener.h"
#include <QDir>

namespace vorlane::shell {

namespace {

void bringForward(QWidget* dialog) {
    if (!dialog)
        return;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

MainDialogs::MainDialogs(QWidget& window, app::Session& session, ui::MessageFacade& messages,
                         ui::UrlOpener& opener, const QString& programFolder)
    : m_window(window), m_session(session), m_messages(messages), m_opener(opener),
      m_programFolder(programFolder) {}

MainDialogs::~MainDialogs() {
    // The window would delete its children only after the session is gone; they hold references into it.
    delete m_urlSearch;
    delete m_webSearch;
    delete m_campaigns;
    if (m_about)
        delete m_about.data();
}

void MainDialogs::loadSearchDialogs() {
    if (m_urlSearch)
        return;
    m_urlSearch = new search::URLSearch(m_session, m_messages, &m_window);
    m_webSearch = new search::WebSearch(m_session, m_messages, &m_window);
}

void MainDialogs::showWebSearch() {
    bringForward(m_webSearch);
}

void MainDialogs::showUrlSearch() {
    if (m_urlSearch)
        m_urlSearch->prefillAddressIfIdle();
    bringForward(m_urlSearch);
}

void MainDialogs::showCampaigns() {
    if (!m_campaigns)
        m_campaigns = new campaigns::CampManagement(m_session, m_messages, &m_window);
    bringForward(m_campaigns);
}

void MainDialogs::showSearchLog() {
    bringForward(new campaigns::CrawlLogDialog(m_session, m_messages, m_session.latestCampaign(), &m_window));
}

void MainDialogs::openSettings() {
    settings::Settings dialog(m_session, m_messages, m_window.isVisible() ? &m_window : nullptr);
    dialog.exec();
}

void MainDialogs::openHelp() {
    m_opener.open(QUrl::fromLocalFile(QDir(m_programFolder).filePath(QStringLiteral("help.htm"))));
}

void MainDialogs::showAbout(bool modal) {
    if (m_about && m_about->isVisible()) {
        bringForward(m_about);
        return;
    }
    m_about = new About(modal ? &m_window : nullptr);
    if (modal)
        m_about->exec();
    else
        bringForward(m_about);
}

void MainDialogs::closeAll() {
    for (QWidget* dialog : {static_cast<QWidget*>(m_urlSearch), static_cast<QWidget*>(m_webSearch),
                            static_cast<QWidget*>(m_campaigns)})
        if (dialog)
            dialog->hide();
    if (m_about)
        m_about->close();
}

About* MainDialogs::aboutBox() const {
    return m_about.data();
}

} // namespace vorlane::shell
