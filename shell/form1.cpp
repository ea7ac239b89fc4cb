#include "form1.h"

#include "about.h"
#include "app/session.h"
#include "app_icon.h"
#include "campaigns/camp_management.h"
#include "exit_to_tray.h"
#include "frm_tip.h"
#include "result_pane.h"
#include "search/url_search.h"
#include "search/web_search.h"
#include "settings/settings_dialog.h"
#include "tray.h"
#include "twips.h"
#include "ui/message_facade.h"
#include "ui/result_list.h"
#include "ui/status_panels.h"
#include "ui/url_opener.h"
#include "ui/window_state.h"
#include "user_options.h"
#include "window_placement.h"
#include <QCloseEvent>
#include <QDir>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

struct ToolbarEntry {
    const char* key;
    const char* caption;
    const char* themeIcon;
    QStyle::StandardPixmap fallback;
};

// The toolbar, left to right. Menu entries perform the action of the button with the same key.
constexpr ToolbarEntry kActions[] = {
    {"One", "Web Search", "system-search", QStyle::SP_FileDialogContentsView},
    {"Two", "URL Search", "applications-internet", QStyle::SP_DriveNetIcon},
    {"Three", "Campaigns", "folder-open", QStyle::SP_DirOpenIcon},
    {"Four", "Settings", "preferences-system", QStyle::SP_FileDialogDetailedView},
    {"Five", "Help", "help-contents", QStyle::SP_DialogHelpButton},
    {"Six", "About", "help-about", QStyle::SP_MessageBoxInformation},
};

} // namespace

Form1::Form1(Database& database, MessageFacade& messages, UrlOpener& opener, const QString& programFolder,
             bool trayAvailable, QWidget* parent)
    : QMainWindow(parent), m_database(database), m_messages(messages), m_opener(opener),
      m_programFolder(programFolder), m_trayAvailable(trayAvailable) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setAccessibleName(windowTitle());
    setWindowIcon(ApplicationIcon());

    buildToolbar();
    buildMenus();

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
    m_status = new StatusPanels(this);
    setStatusBar(m_status);

    // The designed inner area; a floor keeps every list wider than its column margins.
    resize(TwipsToPixelsX(this, 7080), TwipsToPixelsY(this, 6675));
    setMinimumSize(TwipsToPixelsX(this, 4800), TwipsToPixelsY(this, 3600));
    restoreWindowState();
}

Form1::~Form1() {
    // Dialogs hold references into the context; they go first.
    delete m_urlSearch;
    delete m_webSearch;
    delete m_campaigns;
    m_urlSearch = nullptr;
    m_webSearch = nullptr;
    m_campaigns = nullptr;
    if (m_about)
        delete m_about.data();
}

void Form1::buildToolbar() {
    auto* toolbar = addToolBar(QStringLiteral("Toolbar"));
    toolbar->setObjectName(QStringLiteral("Toolbar1"));
    toolbar->setAccessibleName(QStringLiteral("Toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->toggleViewAction()->setEnabled(false);
    for (const ToolbarEntry& entry : kActions) {
        const QString caption = QString::fromLatin1(entry.caption);
        const QIcon icon =
            QIcon::fromTheme(QString::fromLatin1(entry.themeIcon), style()->standardIcon(entry.fallback));
        QAction* action = toolbar->addAction(icon, caption);
        action->setObjectName(QString::fromLatin1(entry.key));
        action->setData(QString::fromLatin1(entry.key));
        action->setToolTip(caption);
        if (QWidget* button = toolbar->widgetForAction(action))
            button->setAccessibleName(caption);
        m_toolbarActions.insert(QString::fromLatin1(entry.key), action);
    }
    connect(toolbar, &QToolBar::actionTriggered, this,
            [this](QAction* action) { runAction(action->data().toString()); });
}

void Form1::buildMenus() {
    struct Entry {
        const char* name;
        const char* caption; // nullptr: a separator
        const char* key;
    };
    auto addMenu = [this](const char* name, const char* title, std::initializer_list<Entry> entries) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(title));
        menu->setObjectName(QString::fromLatin1(name));
        menu->setAccessibleName(menu->title());
        for (const Entry& entry : entries) {
            QAction* action =
                entry.caption ? menu->addAction(QString::fromLatin1(entry.caption)) : menu->addSeparator();
            action->setObjectName(QString::fromLatin1(entry.name));
            if (entry.key) {
                const QString key = QString::fromLatin1(entry.key);
                connect(action, &QAction::triggered, this, [this, key] { runAction(key); });
            }
        }
    };
    menuBar()->setAccessibleName(QStringLiteral("Menu bar"));
    addMenu("Actions", "Actions",
            {{"WSearch", "Web Search", "One"},
             {"USearch", "URL Search", "Two"},
             {"mLine1", nullptr, nullptr},
             {"Camps", "Campaigns", "Three"}});
    addMenu("Options", "Options", {{"Stings", "Settings", "Four"}});
    addMenu("Help", "Help",
            {{"Helptopics", "Help topics", "Five"}, {"mLine2", nullptr, nullptr}, {"Abt", "About", "Six"}});
    m_wsearch = findChild<QAction*>(QStringLiteral("WSearch"));
    m_usearch = findChild<QAction*>(QStringLiteral("USearch"));
}

ResultList* Form1::listView(int number) const {
    return m_pane->list(number);
}

void Form1::load() {
    m_pane->arrangeLists();
    m_session = std::make_unique<Session>(m_database);
    m_pane->attach(*m_session);
    wireEngines();
    wireSession();
    const DbStatus loaded = m_session->loadSettings();
    if (!loaded)
        m_messages.critical(nullptr, loaded.error()); // the defaults stay; the program can still search
    if (UserOptions::showStartInfo())
        showStartInfo();
}

void Form1::loadSearchDialogs() {
    if (!m_session || m_urlSearch)
        return;
    m_urlSearch = new URLSearch(*m_session, m_messages, this);
    m_webSearch = new WebSearch(*m_session, m_messages, this);
}

void Form1::loadTray() {
    if (!m_tray) {
        m_tray = std::make_unique<Tray>();
        connect(m_tray.get(), &Tray::showRequested, this, &Form1::showFromTray);
        connect(m_tray.get(), &Tray::hideRequested, this, &QWidget::hide);
        connect(m_tray.get(), &Tray::aboutRequested, this, [this] { showAbout(false); });
        connect(m_tray.get(), &Tray::exitRequested, this, &Form1::ShutDownApplication);
    }
    m_tray->load();
}

void Form1::wireEngines() {
    for (CampaignType type : {CampaignType::UrlSearch, CampaignType::WebSearch}) {
        CrawlEngine* engine = &m_session->engine(type);
        connect(engine, &CrawlEngine::started, this, &Form1::UpdateActivityDisplay);
        connect(engine, &CrawlEngine::finished, this, [this] {
            m_status->flushProgress();
            UpdateActivityDisplay();
        });
        connect(engine, &CrawlEngine::messageChanged, m_status, &StatusPanels::setMessage);
        connect(engine, &CrawlEngine::levelChanged, m_status, &StatusPanels::setLevel);
        connect(engine, &CrawlEngine::progress, m_status, &StatusPanels::setProgress);
    }
}

void Form1::wireSession() {
    connect(m_session.get(), &Session::activityChanged, m_status, &StatusPanels::setActivity);
}

void Form1::runAction(const QString& key) {
    if (m_ended)
        return;
    if (key == QLatin1String("One")) {
        m_pane->showList(ResultPane::kWebSearchList);
        showDialog(m_webSearch);
    } else if (key == QLatin1String("Two")) {
        m_pane->showList(ResultPane::kUrlSearchList);
        if (m_urlSearch)
            m_urlSearch->prefillAddressIfIdle();
        showDialog(m_urlSearch);
    } else if (key == QLatin1String("Three")) {
        m_pane->showList(ResultPane::kCampaignList);
        openCampaigns();
    } else if (key == QLatin1String("Four")) {
        openSettings();
    } else if (key == QLatin1String("Five")) {
        openHelp();
    } else if (key == QLatin1String("Six")) {
        showAbout(true);
    }
}

void Form1::showDialog(QWidget* dialog) {
    if (!dialog)
        return;
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void Form1::openCampaigns() {
    if (!m_session)
        return;
    if (!m_campaigns)
        m_campaigns = new CampManagement(*m_session, m_messages, this);
    showDialog(m_campaigns);
}

void Form1::openSettings() {
    if (!m_session || m_ended)
        return;
    // A fresh dialog each time, so it shows what is stored now.
    Settings dialog(*m_session, m_messages, isVisible() ? this : nullptr);
    dialog.exec();
}

void Form1::openHelp() {
    m_opener.open(QUrl::fromLocalFile(QDir(m_programFolder).filePath(QStringLiteral("help.htm"))));
}

void Form1::showStartInfo() {
    frmTip tip(this);
    tip.exec();
    if (m_ended)
        return;
    switch (tip.choice()) {
    case frmTip::Choice::UpdateConnection:
        openSettings();
        break;
    case frmTip::Choice::ReadHelp:
        openHelp();
        break;
    case frmTip::Choice::Cancel:
    case frmTip::Choice::None:
        break;
    }
}

void Form1::showAbout(bool modal) {
    if (m_about && m_about->isVisible()) {
        // Already shown (from the tray, modeless): bring it forward instead of opening a second one.
        m_about->show();
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    // From the tray the box must stand without the main window, which may be hidden.
    m_about = new About(modal ? this : nullptr);
    if (modal) {
        m_about->exec();
    } else {
        m_about->show();
        m_about->raise();
        m_about->activateWindow();
    }
}

void Form1::restoreWindowState() {
    const WindowState state = WindowState::read();
    applyPlacement(*this, state);
    m_pane->restoreLists(state);
}

void Form1::saveWindowState() {
    if (!m_everShown)
        return;
    WindowState state;
    recordPlacement(*this, state);
    m_pane->recordLists(state);
    state.write();
}

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    m_everShown = true;
}

void Form1::UpdateActivityDisplay() {
    if (!m_session || m_ended)
        return;
    const bool urlRunning = m_session->isRunning(CampaignType::UrlSearch);
    const bool webRunning = !urlRunning && m_session->isRunning(CampaignType::WebSearch);
    const bool webEntry = !urlRunning;
    const bool urlEntry = !webRunning;
    m_toolbarActions.value(QStringLiteral("One"))->setEnabled(webEntry);
    m_toolbarActions.value(QStringLiteral("Two"))->setEnabled(urlEntry);
    m_wsearch->setEnabled(webEntry);
    m_usearch->setEnabled(urlEntry);
    m_status->setActivity(urlRunning   ? QStringLiteral("URL Search running...")
                          : webRunning ? QStringLiteral("Web Search running...")
                                       : QStringLiteral("Idle"));
}

void Form1::hideToTray() {
    saveWindowState();
    // Without a notification area a hidden window could not be brought back: minimise instead.
    if (m_trayAvailable)
        hide();
    else
        showMinimized();
}

void Form1::showFromTray() {
    if (m_ended)
        return;
    m_pane->arrangeLists();
    showMaximized();
    raise();
    activateWindow();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (m_ended) {
        event->accept();
        return;
    }
    event->ignore();
    if (UserOptions::showAskTrayExit()) {
        // Each close request asks with a fresh dialog in its initial state.
        if (auto* previous = findChild<ExitToTray*>(QString(), Qt::FindDirectChildrenOnly))
            previous->close();
        auto* question = new ExitToTray(this);
        connect(question, &ExitToTray::hideRequested, this, &Form1::hideToTray);
        connect(question, &ExitToTray::exitRequested, this, &Form1::ShutDownApplication);
        question->show();
        question->raise();
        question->activateWindow();
        return;
    }
    if (UserOptions::exitOnClose())
        ShutDownApplication();
    else
        hideToTray();
}

void Form1::ShutDownApplication() {
    if (m_ended)
        return;
    m_ended = true;
    m_pane->stopCampaignLoad();
    saveWindowState();

    // Transfers aborted, engines ended and the database closed, in that order; nothing runs after.
    if (m_session)
        m_session->shutDown();

    for (QWidget* dialog : {static_cast<QWidget*>(m_urlSearch), static_cast<QWidget*>(m_webSearch),
                            static_cast<QWidget*>(m_campaigns)})
        if (dialog)
            dialog->hide();
    if (auto* question = findChild<ExitToTray*>(QString(), Qt::FindDirectChildrenOnly))
        question->close();
    if (m_about)
        m_about->close();
    hide();
    if (m_tray)
        m_tray->unload();
    emit applicationEnded();
}

void Form1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        UpdateActivityDisplay();
}

About* Form1::aboutBox() const {
    return m_about.data();
}
