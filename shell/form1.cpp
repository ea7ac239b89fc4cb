#include "form1.h"

#include "about.h"
#include "app_icon.h"
#include "campaigns/camp_management.h"
#include "exit_to_tray.h"
#include "frm_tip.h"
#include "search/url_search.h"
#include "search/web_search.h"
#include "settings/settings_dialog.h"
#include "tray.h"
#include "twips.h"
#include "app/session.h"
#include "urls/display_name.h"
#include "ui/message_facade.h"
#include "ui/quick_filter_bar.h"
#include "ui/result_list.h"
#include "ui/status_panels.h"
#include "ui/url_opener.h"
#include "ui/window_state.h"
#include "user_options.h"
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Rows of a loaded campaign added between two turns of the event loop.
constexpr qsizetype kCampaignBatch = 25000;

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

    auto* pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("ResultPane"));
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->setSpacing(0);
    m_filterBar = new QuickFilterBar(pane);
    paneLayout->addWidget(m_filterBar);
    m_resultArea = new QWidget(pane);
    m_resultArea->setObjectName(QStringLiteral("ResultArea"));
    paneLayout->addWidget(m_resultArea, 1);
    setCentralWidget(pane);
    const char* const names[] = {"ListView1", "ListView2", "ListView3"};
    const char* const accessible[] = {"Web Search results", "URL Search results", "Campaign links"};
    for (int i = 0; i < 3; ++i) {
        auto* list = new ResultList(m_opener, m_messages, m_resultArea);
        list->setObjectName(QString::fromLatin1(names[i]));
        list->setAccessibleName(QString::fromLatin1(accessible[i]));
        list->move(0, 0);
        m_lists[i] = list;
    }
    showList(1);
    m_resultArea->installEventFilter(this);

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
    return number >= 1 && number <= 3 ? m_lists[number - 1] : nullptr;
}

void Form1::load() {
    ArrangeResultLists();
    m_session = std::make_unique<Session>(m_database);
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
    const struct {
        CrawlEngine* engine;
        ResultList* list;
    } pairs[] = {{&m_session->engine(CampaignType::UrlSearch), m_lists[1]},
                 {&m_session->engine(CampaignType::WebSearch), m_lists[0]}};
    for (const auto& pair : pairs) {
        ResultList* list = pair.list;
        connect(pair.engine, &CrawlEngine::started, this, &Form1::UpdateActivityDisplay);
        connect(pair.engine, &CrawlEngine::started, list,
                [this, list](int campaignId) { list->setCampaignLabel(m_session->campaignLabel(campaignId)); });
        connect(pair.engine, &CrawlEngine::finished, this, [this] {
            m_status->flushProgress();
            UpdateActivityDisplay();
        });
        connect(pair.engine, &CrawlEngine::messageChanged, m_status, &StatusPanels::setMessage);
        connect(pair.engine, &CrawlEngine::levelChanged, m_status, &StatusPanels::setLevel);
        connect(pair.engine, &CrawlEngine::progress, m_status, &StatusPanels::setProgress);
        connect(pair.engine, &CrawlEngine::fileRecorded, list,
                [list](const QString& name, const QString& address, const QString& foundOn) {
                    list->AddResultRow(name, address, foundOn);
                });
    }
}

void Form1::wireSession() {
    Session* session = m_session.get();
    connect(session, &Session::activityChanged, m_status, &StatusPanels::setActivity);
    connect(session, &Session::resultsCleared, this, [this](CampaignType type) {
        m_lists[type == CampaignType::UrlSearch ? 1 : 0]->ClearResultList();
    });
    connect(session, &Session::campaignLoaded, this, [this](int campaignId, const QList<FileLinkRow>& rows) {
                m_lists[2]->setCampaignLabel(m_session->campaignLabel(campaignId));
                showCampaignLinks(rows);
            });
    connect(session, &Session::campaignsDeleted, this, [this] {
        ++m_campaignLoadGeneration;
        m_campaignLoadPending = false;
        m_campaignRows.clear();
        unsetCursor();
        m_lists[2]->ClearResultList();
        m_lists[2]->setCampaignLabel(QString());
    });
}

void Form1::runAction(const QString& key) {
    if (m_ended)
        return;
    if (key == QLatin1String("One")) {
        showList(1);
        showDialog(m_webSearch);
    } else if (key == QLatin1String("Two")) {
        showList(2);
        if (m_urlSearch)
            m_urlSearch->prefillAddressIfIdle();
        showDialog(m_urlSearch);
    } else if (key == QLatin1String("Three")) {
        showList(3);
        openCampaigns();
    } else if (key == QLatin1String("Four")) {
        openSettings();
    } else if (key == QLatin1String("Five")) {
        openHelp();
    } else if (key == QLatin1String("Six")) {
        showAbout(true);
    }
}

void Form1::showList(int number) {
    for (int i = 0; i < 3; ++i)
        m_lists[i]->setVisible(i + 1 == number);
    m_visibleList = number;
    m_filterBar->setList(m_lists[number - 1]);
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

void Form1::showCampaignLinks(const QList<FileLinkRow>& rows) {
    ++m_campaignLoadGeneration;
    showList(3);
    m_lists[2]->ClearResultList();
    if (rows.isEmpty()) {
        m_campaignLoadPending = false;
        unsetCursor();
        m_status->setMessage(QStringLiteral("Done."));
        return;
    }
    m_status->setMessage(QStringLiteral("Loading..."));
    setCursor(Qt::WaitCursor);
    m_campaignRows = rows;
    m_campaignNext = 0;
    m_campaignLoadPending = true;
    loadNextCampaignBatch();
}

void Form1::loadNextCampaignBatch() {
    const qsizetype end = qMin(m_campaignRows.size(), m_campaignNext + kCampaignBatch);
    QList<ResultRow> batch;
    batch.reserve(end - m_campaignNext);
    for (qsizetype i = m_campaignNext; i < end; ++i) {
        const FileLinkRow& link = m_campaignRows.at(i);
        batch.append(ResultRow{DisplayName(link.url), link.url, link.foundOn});
    }
    m_lists[2]->addResultRows(batch);
    m_campaignNext = end;
    if (m_campaignNext >= m_campaignRows.size()) {
        m_campaignRows.clear();
        m_campaignLoadPending = false;
        unsetCursor();
        m_status->setMessage(QStringLiteral("Done."));
        return;
    }
    const int generation = m_campaignLoadGeneration;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_campaignLoadGeneration && m_campaignLoadPending)
            loadNextCampaignBatch();
    });
}

void Form1::ArrangeResultLists() {
    const int width = m_resultArea->width();
    const int height = m_resultArea->height();
    for (ResultList* list : m_lists)
        list->resize(width, list->height());
    if (height > 0) {
        for (ResultList* list : m_lists)
            list->resize(list->width(), height);
    }
    if (isMinimized())
        return;
    // Three columns share the width, less the margin the scroll bar needs.
    const int column = qMax(0, width / ResultListModel::ColumnCount - TwipsToPixelsX(this, 100));
    for (ResultList* list : m_lists)
        list->spreadColumns(column);
}

void Form1::restoreWindowState() {
    const WindowState state = WindowState::read();
    if (state.size)
        resize(*state.size);
    if (state.position) {
        // A screen that was there last time may be gone: only a place where a good part of the window is
        // visible is taken, else the window system places it.
        const QRect wanted(*state.position, size());
        for (const QScreen* screen : QGuiApplication::screens()) {
            const QRect seen = wanted.intersected(screen->availableGeometry());
            if (seen.width() >= 50 && seen.height() >= 50) {
                setGeometry(wanted);
                break;
            }
        }
    }
    if (state.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    for (int i = 0; i < 3; ++i) {
        const ListViewState& list = state.lists[i];
        if (!list.columnWidths.isEmpty())
            m_lists[i]->setUserColumnWidths(list.columnWidths);
        if (list.sortColumn >= 0)
            m_lists[i]->restoreSort(list.sortColumn, list.sortOrder);
    }
    if (state.visibleList)
        showList(state.visibleList);
}

void Form1::saveWindowState() {
    if (!m_everShown)
        return;
    WindowState state;
    // The normal geometry, so leaving the maximised state next time returns to the size the user had.
    const QRect normal = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (normal.isValid()) {
        state.size = normal.size();
        state.position = normal.topLeft();
    }
    state.maximized = isMaximized();
    state.visibleList = m_visibleList;
    for (int i = 0; i < 3; ++i) {
        const ResultList* list = m_lists[i];
        if (list->hasUserColumnWidths())
            state.lists[i].columnWidths = list->columnWidths();
        if (list->rows().isSorted()) {
            state.lists[i].sortColumn = list->rows().sortColumn();
            state.lists[i].sortOrder = list->rows().sortOrder();
        }
    }
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
    ArrangeResultLists();
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
    ++m_campaignLoadGeneration;
    m_campaignLoadPending = false;
    m_campaignRows.clear();
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

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_resultArea && event->type() == QEvent::Resize)
        ArrangeResultLists();
    return QMainWindow::eventFilter(watched, event);
}

About* Form1::aboutBox() const {
    return m_about.data();
}
