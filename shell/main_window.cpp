#include "main_window.h"

#include "app/session.h"
#include "app_icon.h"
#include "exit_to_tray.h"
#include "frm_tip.h"
#include "main_actions.h"
#include "main_dialogs.h"
#include "result_pane.h"
#include "tray.h"
#include "twips.h"
#include "ui/message_facade.h"
#include "ui/status_panels.h"
#include "ui/window_state.h"
#include "user_options.h"
#include "window_placement.h"
#include <QCloseEvent>

namespace vorlane::shell {

MainWindow::MainWindow(store::Database& database, ui::MessageFacade& messages, ui::UrlOpener& opener,
                       const QString& programFolder, bool trayAvailable, QWidget* parent)
    : QMainWindow(parent), m_database(database), m_messages(messages), m_opener(opener),
      m_programFolder(programFolder), m_trayAvailable(trayAvailable) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(ui::kApplicationTitle));
    setAccessibleName(windowTitle());
    setWindowIcon(applicationIcon());

    m_actions = new MainActions(*this);
    connect(m_actions, &MainActions::triggered, this, &MainWindow::runAction);
    m_pane = new ResultPane(m_opener, m_messages, this);
    setCentralWidget(m_pane);
    connect(m_pane, &ResultPane::campaignLoadStarted, this, [this] {
        m_status->setMessage(QStringLiteral("Loading..."));
        setCursor(Qt::WaitCursor);
    });
    connect(m_pane, &ResultPane::campaignLoadEnded, this, [this](bool complete) {
        unsetCursor();
        if (complete)
            m_status->setMessage(QStringLiteral("Done."));
    });
    m_status = new ui::StatusPanels(this);
    setStatusBar(m_status);

    // The designed inner area; a floor keeps every list wider than its column margins.
    resize(twipsToPixelsX(this, 7080), twipsToPixelsY(this, 6675));
    setMinimumSize(twipsToPixelsX(this, 4800), twipsToPixelsY(this, 3600));
    restoreWindowState();
}

MainWindow::~MainWindow() = default;

void MainWindow::load() {
    m_pane->arrangeLists();
    m_session = std::make_unique<app::Session>(m_database);
    m_dialogs = std::make_unique<MainDialogs>(*this, *m_session, m_messages, m_opener, m_programFolder);
    m_pane->attach(*m_session);
    wireStatus();
    const store::DbStatus loaded = m_session->loadSettings();
    if (!loaded)
        m_messages.critical(nullptr, loaded.error()); // the defaults stay; the program can still search
    wireDownloads();
    if (UserOptions::showStartInfo())
        showStartInfo();
}

void MainWindow::wireDownloads() {
    app::Downloads& downloads = m_session->downloads();
    connect(&downloads, &app::Downloads::batchFinished, this, [this](int done, int failed) {
        if (!m_tray || !m_tray->isLoaded())
            return;
        QString text = QStringLiteral("%1 %2 downloaded").arg(done).arg(done == 1 ? "file" : "files");
        if (failed > 0)
            text += QStringLiteral(", %1 failed").arg(failed);
        m_tray->icon().showMessage(windowTitle(), text);
    });
    connect(&downloads, &app::Downloads::storeFailed, this, [this](const QString& error) {
        m_status->setMessage(QStringLiteral("Downloads: %1").arg(error));
    });
    if (const store::DbStatus resumed = downloads.resumeStored(); !resumed)
        m_messages.critical(nullptr, resumed.error());
}

void MainWindow::loadSearchDialogs() {
    if (m_dialogs)
        m_dialogs->loadSearchDialogs();
}

void MainWindow::loadTray() {
    if (!m_tray) {
        m_tray = std::make_unique<Tray>();
        connect(m_tray.get(), &Tray::showRequested, this, &MainWindow::showFromTray);
        connect(m_tray.get(), &Tray::hideRequested, this, &QWidget::hide);
        connect(m_tray.get(), &Tray::aboutRequested, this, [this] {
            if (m_dialogs)
                m_dialogs->showAbout(false);
        });
        connect(m_tray.get(), &Tray::exitRequested, this, &MainWindow::shutDownApplication);
    }
    m_tray->load();
}

void MainWindow::wireStatus() {
    for (store::CampaignType type : {store::CampaignType::UrlSearch, store::CampaignType::WebSearch}) {
        crawl::CrawlEngine* engine = &m_session->engine(type);
        connect(engine, &crawl::CrawlEngine::started, this, &MainWindow::updateActivityDisplay);
        connect(engine, &crawl::CrawlEngine::finished, this, [this] {
            m_status->flushProgress();
            updateActivityDisplay();
        });
        connect(engine, &crawl::CrawlEngine::messageChanged, m_status, &ui::StatusPanels::setMessage);
        connect(engine, &crawl::CrawlEngine::levelChanged, m_status, &ui::StatusPanels::setLevel);
        connect(engine, &crawl::CrawlEngine::progress, m_status, &ui::StatusPanels::setProgress);
        connect(engine, &crawl::CrawlEngine::notice, m_status, &ui::StatusPanels::setActivity);
    }
    connect(m_session.get(), &app::Session::activityChanged, m_status, &ui::StatusPanels::setActivity);
    // The search has already ended "Stopped."; the box says why.
    connect(m_session.get(), &app::Session::searchFailed, this,
            [this](store::CampaignType, const QString& error) { m_messages.critical(this, error); });
}

void MainWindow::runAction(MainAction action) {
    if (m_ended || !m_dialogs)
        return;
    switch (action) {
    case MainAction::WebSearch:
        m_pane->showList(ResultPane::kWebSearchList);
        m_dialogs->showWebSearch();
        break;
    case MainAction::UrlSearch:
        m_pane->showList(ResultPane::kUrlSearchList);
        m_dialogs->showUrlSearch();
        break;
    case MainAction::Campaigns:
        m_pane->showList(ResultPane::kCampaignList);
        m_dialogs->showCampaigns();
        break;
    case MainAction::Settings:
        m_dialogs->openSettings();
        break;
    case MainAction::Help:
        m_dialogs->openHelp();
        break;
    case MainAction::About:
        m_dialogs->showAbout(true);
        break;
    case MainAction::ShowLog:
        m_dialogs->showSearchLog();
        break;
    case MainAction::Downloads:
        m_pane->showDownloads();
        break;
    }
}

void MainWindow::updateActivityDisplay() {
    if (!m_session || m_ended)
        return;
    // One search runs at a time: while one runs, the other's entry points are off.
    const bool urlRunning = m_session->isRunning(store::CampaignType::UrlSearch);
    const bool webRunning = !urlRunning && m_session->isRunning(store::CampaignType::WebSearch);
    m_actions->setEnabled(MainAction::WebSearch, !urlRunning);
    m_actions->setEnabled(MainAction::UrlSearch, !webRunning);
    m_status->setActivity(urlRunning   ? QStringLiteral("URL Search running...")
                          : webRunning ? QStringLiteral("Web Search running...")
                                       : QStringLiteral("Idle"));
}

void MainWindow::showStartInfo() {
    frmTip tip(this);
    tip.exec();
    if (m_ended)
        return;
    switch (tip.choice()) {
    case frmTip::Choice::UpdateConnection:
        m_dialogs->openSettings();
        break;
    case frmTip::Choice::ReadHelp:
        m_dialogs->openHelp();
        break;
    case frmTip::Choice::Cancel:
    case frmTip::Choice::None:
        break;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_ended) {
        event->accept();
        return;
    }
    event->ignore();
    if (UserOptions::showAskTrayExit())
        askHowToClose();
    else if (UserOptions::exitOnClose())
        shutDownApplication();
    else
        hideToTray();
}

void MainWindow::askHowToClose() {
    // Each close request asks with a fresh dialog in its initial state.
    if (m_question)
        m_question->close();
    m_question = new ExitToTray(this);
    if (m_session)
        m_question->setResumingDownloads(m_session->downloads().unfinishedCount());
    connect(m_question, &ExitToTray::hideRequested, this, &MainWindow::hideToTray);
    connect(m_question, &ExitToTray::exitRequested, this, &MainWindow::shutDownApplication);
    m_question->show();
    m_question->raise();
    m_question->activateWindow();
}

void MainWindow::hideToTray() {
    saveWindowState();
    // Without a notification area a hidden window could not be brought back: minimise instead.
    if (m_trayAvailable)
        hide();
    else
        showMinimized();
}

void MainWindow::showFromTray() {
    if (m_ended)
        return;
    m_pane->arrangeLists();
    showMaximized();
    raise();
    activateWindow();
}

void MainWindow::shutDownApplication() {
    if (m_ended)
        return;
    m_ended = true;
    m_pane->stopCampaignLoad();
    saveWindowState();

    // Transfers aborted, engines ended and the database closed, in that order; nothing runs after.
    if (m_session)
        m_session->shutDown();

    if (m_dialogs)
        m_dialogs->closeAll();
    if (m_question)
        m_question->close();
    hide();
    if (m_tray)
        m_tray->unload();
    emit applicationEnded();
}

void MainWindow::restoreWindowState() {
    const ui::WindowState state = ui::WindowState::read();
    applyPlacement(*this, state);
    m_pane->restoreLists(state);
}

void MainWindow::saveWindowState() {
    if (!m_everShown)
        return;
    ui::WindowState state;
    recordPlacement(*this, state);
    m_pane->recordLists(state);
    state.write();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_everShown = true;
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        updateActivityDisplay();
}

search::URLSearch* MainWindow::urlSearch() const {
    return m_dialogs ? m_dialogs->urlSearch() : nullptr;
}

search::WebSearch* MainWindow::webSearch() const {
    return m_dialogs ? m_dialogs->webSearch() : nullptr;
}

About* MainWindow::aboutBox() const {
    return m_dialogs ? m_dialogs->aboutBox() : nullptr;
}

} // namespace vorlane::shell
