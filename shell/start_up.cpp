#include "start_up.h"

#include "ui/message_facade.h"
#include <QCoreApplication>
#include <QScreen>

namespace vorlane::shell {

StartUp::StartUp(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("StartUp"));
    setAccessibleName(QString::fromLatin1(ui::kApplicationTitle));
    m_parts = buildSplashFrame(this);
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

} // namespace vorlane::shell
