#include "message_facade.h"

#include <QMessageBox>

void QMessageBoxFacade::critical(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, QString::fromLatin1(kApplicationTitle), text);
}

bool QMessageBoxFacade::question(QWidget* parent, const QString& text)
{
    return QMessageBox::question(parent, QString::fromLatin1(kApplicationTitle), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QMessageBoxFacade::information(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, QString::fromLatin1(kApplicationTitle), text);
}
