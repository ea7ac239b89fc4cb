#include "message_facade.h"

#include <QMessageBox>

namespace vorlane::ui {

void QMessageBoxFacade::critical(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, QString::fromLatin1(kApplicationTitle), text);
}

bool QMessageBoxFacade::question(QWidget* parent, const QString& text) {
    // Yes and No, and no icon: the question mark is not what the program's questions show.
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("Question"));
    return box.exec() == QMessageBox::Yes;
}

void QMessageBoxFacade::information(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QString::fromLatin1(kApplicationTitle), text);
}

} // namespace vorlane::ui
