#pragma once
// The tray host Tray: the notification-area icon (tooltip "Vorlane") and its menu pop with
// "&Show Vorlane" (the default, bold), "&Hide Vorlane", "&About", a separator and "&Exit". It only
// reports what the user asked for; the main window acts. A double-click on the icon asks to show the
// main window maximised.

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace vorlane::shell {

class Tray : public QObject {
    Q_OBJECT
public:
    explicit Tray(QObject* parent = nullptr);
    ~Tray() override;

    // Puts the icon into the notification area.
    void load();
    // Removes the icon; idempotent.
    void unload();
    bool isLoaded() const { return m_loaded; }
    // Whether the desktop has a notification area to hold the icon.
    static bool isAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

    QSystemTrayIcon& icon() { return m_icon; }
    QMenu& menu() { return m_pop; }

signals:
    void showRequested(); // "&Show Vorlane" and a double-click on the icon
    void hideRequested();
    void aboutRequested();
    void exitRequested();

private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    QMenu m_pop;
    QSystemTrayIcon m_icon;
    bool m_loaded = false;
};

} // namespace vorlane::shell
