#include "start_up.h"

#include "ui/message_facade.h"
#include <QCoreApplication>
#include <QScreen>

StartUp::StartUp(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("StartUp"));
    setAccessibleName(QString::fromLatin1(vorlane::ui::kApplicationTitle));
    m_parts = BuildSplashFrame(this);
}

void StartUp::showAndPaint() {
    // Painting needs the event loop: once for what is pending, once for the expose the show causes.
    QCoreApplication::processEvents();
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    repaint();
    QCoreApplication::processEvents();
}
