#include "about.h"

#include "ui/message_facade.h"
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

namespace vorlane::shell {

About::About(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("About"));
    setAccessibleName(QStringLiteral("About ") + QString::fromLatin1(ui::kApplicationTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    m_parts = buildSplashFrame(this);

    auto* hint = new QLabel(QStringLiteral("CLICK ON SPLASH SCREEN TO CLOSE"), m_parts.frame);
    hint->setObjectName(QStringLiteral("Label1"));
    hint->setAccessibleName(hint->text());
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    hint->setFont(font);
    static_cast<QGridLayout*>(m_parts.frame->layout())->addWidget(hint, 4, 0, 1, 2, Qt::AlignHCenter);

    m_parts.frame->installEventFilter(this);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void About::keyPressEvent(QKeyEvent* event) {
    event->accept();
    close();
}

bool About::eventFilter(QObject* watched, QEvent* event) {
    // Clicks on the labels and the logo reach the frame too (labels pass them on); only the free area
    // of the frame closes the box.
    if (watched == m_parts.frame && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (!m_parts.frame->childAt(press->position().toPoint())) {
            close();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vorlane::shell
