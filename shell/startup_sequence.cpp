#include "startup_sequence.h"

#include "main_window.h"
#include "start_up.h"
#include "ui/message_facade.h"

namespace vorlane::shell {

StartupSequence::StartupSequence(ui::MessageFacade& messages, ui::UrlOpener& opener,
                                 const QString& programFolder, bool trayAvailable, QObject* parent)
    : QObject(parent), m_messages(messages), m_opener(opener), m_programFolder(programFolder),
      m_trayAvailable(trayAvailable) {}

StartupSequence::~StartupSequence() {
    m_window.reset(); // the window and its context let go of the database before it closes
}

bool StartupSequence::run() {
    // No application display name: Qt would append it to every window's caption, and the captions are
    // exactly the windows' own titles.
    StartUp splash;
    splash.showAndPaint();
    store::StartupResult prepared = store::prepareDatabase(m_programFolder);
    // The splash stays above other windows; it goes before any message can show.
    splash.close();

    switch (prepared.outcome) {
    case store::StartupOutcome::AlreadyRunning:
        m_messages.information(nullptr, QStringLiteral("The Vorlane application is already running!\n"
                                                       "Check the system tray or Windows Task Manager."));
        m_exitCode = 1;
        return false;
    case store::StartupOutcome::Failed:
        m_messages.critical(nullptr, prepared.error);
        m_exitCode = 2;
        return false;
    case store::StartupOutcome::Ready:
        break;
    }
    m_database = std::move(prepared.database);
    if (!prepared.notice.isEmpty())
        m_messages.information(nullptr, prepared.notice);

    m_window =
        std::make_unique<MainWindow>(m_database, m_messages, m_opener, m_programFolder, m_trayAvailable);
    connect(m_window.get(), &MainWindow::applicationEnded, this, &StartupSequence::ended);
    m_window->load();
    if (m_window->hasEnded())
        return true;
    m_window->loadSearchDialogs();
    m_window->show();
    m_window->loadTray();
    return true;
}

} // namespace vorlane::shell
