#include "exit_to_tray.h"

#include "twips.h"
#include "user_options.h"
#include <QButtonGroup>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace vorlane::shell {

namespace {

QRect twipsRect(const QWidget* w, int left, int top, int width, int height) {
    return QRect(twipsToPixelsX(w, left), twipsToPixelsY(w, top), twipsToPixelsX(w, width),
                 twipsToPixelsY(w, height));
}

QFont boldVerdana() {
    QFont font(QStringLiteral("Verdana"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

} // namespace

ExitToTray::ExitToTray(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExitToTray"));
    setWindowTitle(QStringLiteral("Notification"));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setFixedSize(twipsToPixelsX(this, 3480), twipsToPixelsY(this, 2505));

    auto* label = new QLabel(QStringLiteral("What do you want to do?"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setAccessibleName(label->text());
    label->setFont(boldVerdana());
    label->setGeometry(twipsRect(this, 480, 120, 2655, 255));

    m_minTray = new QRadioButton(QStringLiteral("Minimize to system tray"), this);
    m_minTray->setObjectName(QStringLiteral("MinTray"));
    m_minTray->setGeometry(twipsRect(this, 240, 600, 3015, 255));
    m_minTray->setChecked(true);
    m_exitApp = new QRadioButton(QStringLiteral("Exit entire application"), this);
    m_exitApp->setObjectName(QStringLiteral("ExitApp"));
    m_exitApp->setGeometry(twipsRect(this, 240, 1080, 3015, 255));
    auto* group = new QButtonGroup(this);
    group->addButton(m_minTray);
    group->addButton(m_exitApp);

    m_remember = new QCheckBox(QStringLiteral("Remember my choice"), this);
    m_remember->setObjectName(QStringLiteral("Check1"));
    m_remember->setFont(boldVerdana());
    m_remember->setGeometry(twipsRect(this, 240, 1560, 2895, 255));

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OK"));
    okButton->setGeometry(twipsRect(this, 600, 2040, 975, 375));
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("Cancel"));
    cancelButton->setGeometry(twipsRect(this, 1680, 2040, 975, 375));
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(m_minTray), static_cast<QAbstractButton*>(m_exitApp),
          static_cast<QAbstractButton*>(m_remember), static_cast<QAbstractButton*>(okButton),
          static_cast<QAbstractButton*>(cancelButton)})
        b->setAccessibleName(b->text());
    for (QPushButton* b : {okButton, cancelButton})
        b->setAutoDefault(false); // neither reacts to Enter by itself

    setTabOrder(m_minTray, m_exitApp);
    setTabOrder(m_exitApp, m_remember);
    setTabOrder(m_remember, okButton);
    setTabOrder(okButton, cancelButton);

    connect(okButton, &QPushButton::clicked, this, &ExitToTray::ok);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::close);
}

void ExitToTray::setResumingDownloads(int count) {
    if (count <= 0)
        return;
    auto* note = new QLabel(QStringLiteral("%1 %2 will resume at the next start.")
                                .arg(count)
                                .arg(count == 1 ? "download" : "downloads"),
                            this);
    note->setObjectName(QStringLiteral("ResumeNote"));
    note->setAccessibleName(note->text());
    note->setGeometry(twipsRect(this, 240, 2505, 3015, 255));
    setFixedSize(width(), height() + twipsToPixelsY(this, 360));
    note->show();
}

void ExitToTray::ok() {
    if (m_remember->isChecked())
        UserOptions::setShowAskTrayExitOff();
    const bool exitApp = m_exitApp->isChecked();
    UserOptions::setExitOnClose(exitApp);
    m_wasActive = false; // the close below must not count as a deactivation
    close();
    if (exitApp)
        emit exitRequested();
    else
        emit hideRequested();
}

void ExitToTray::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow()) {
        m_wasActive = true;
    } else if (m_wasActive && isVisible()) {
        // Another window took over (the user clicked the main window): as Cancel.
        m_wasActive = false;
        close();
    }
}

void ExitToTray::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace vorlane::shell
