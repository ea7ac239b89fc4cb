#include "tray.h"

#include "app_icon.h"
#include "ui/message_facade.h"

namespace vorlane::shell {

Tray::Tray(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("Tray"));
    m_pop.setObjectName(QStringLiteral("pop"));
    m_pop.setTitle(QStringLiteral("Hidden"));
    m_pop.setAccessibleName(QString::fromLatin1(ui::kApplicationTitle));

    auto add = [this](const char* name, const QString& caption, void (Tray::*signal)()) {
        QAction* action = m_pop.addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, signal);
        return action;
    };
    QAction* openwin = add("openwin", QStringLiteral("&Show Vorlane"), &Tray::showRequested);
    add("hide", QStringLiteral("&Hide Vorlane"), &Tray::hideRequested);
    add("aboutfrm", QStringLiteral("&About"), &Tray::aboutRequested);
    m_pop.addSeparator()->setObjectName(QStringLiteral("b"));
    add("exitmenu", QStringLiteral("&Exit"), &Tray::exitRequested);
    m_pop.setDefaultAction(openwin);

    m_icon.setIcon(applicationIcon());
    m_icon.setToolTip(QString::fromLatin1(ui::kApplicationTitle));
    m_icon.setContextMenu(&m_pop);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &Tray::activated);
}

Tray::~Tray() {
    unload();
}

void Tray::load() {
    // Without a notification area there is nothing to show the icon in; the window minimises instead.
    if (isAvailable())
        m_icon.show();
    m_loaded = true;
}

void Tray::unload() {
    if (!m_loaded)
        return;
    m_icon.hide();
    m_loaded = false;
}

void Tray::activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick)
        emit showRequested();
}

} // namespace vorlane::shell
