#include "shell/app_icon.h"
#include "shell/startup_sequence.h"
#include "shell/tray.h"
#include "ui/message_facade.h"
#include "ui/url_opener.h"
#include <QApplication>

using namespace vorlane;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vorlane"));
    QApplication::setApplicationName(QStringLiteral("Vorlane"));
    QApplication::setWindowIcon(shell::applicationIcon());
    // Hiding to the tray or closing the about box must not end the program; only shutDownApplication does.
    app.setQuitOnLastWindowClosed(false);

    ui::QMessageBoxFacade messages;
    ui::DesktopUrlOpener opener;
    shell::StartupSequence startup(messages, opener, QCoreApplication::applicationDirPath(),
                                   shell::Tray::isAvailable());
    QObject::connect(&startup, &shell::StartupSequence::ended, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (!startup.run())
        return startup.exitCode();
    return app.exec();
}
