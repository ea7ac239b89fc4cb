#include "bootstrap/qt_platform_layer.h"

#include "bootstrap/file_attributes.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QUrl>

#include <memory>

std::string QtPlatformLayer::SystemDirectoryPath() {
    return QFile::encodeName(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/sqldrivers"))
        .toStdString();
}

std::string QtPlatformLayer::engineFileName() const {
#ifdef __APPLE__
    return "/libqsqlite.dylib";
#else
    return "/libqsqlite.so";
#endif
}

OsVersionRecord QtPlatformLayer::versionRecord() {
    return {};
}

std::uint32_t QtPlatformLayer::fileAttributes(const std::string& path) {
    const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!info.exists())
        return FileAttribute::Invalid;
    std::uint32_t attributes = info.isDir() ? FileAttribute::Directory : FileAttribute::Normal;
    if (info.isHidden())
        attributes |= FileAttribute::Hidden;
    return attributes;
}

void QtPlatformLayer::showMessage(const std::string& title, const std::string& text) {
    int argc = 1;
    char name[] = "ostrel";
    char* argv[] = {name, nullptr};
    std::unique_ptr<QApplication> ownApplication;
    if (QCoreApplication::instance() == nullptr)
        ownApplication = std::make_unique<QApplication>(argc, argv);

    // The text carries Windows line ends; the dialog gets the local ones.
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), body, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("MissingComponentsMessage"));
    box.exec();
}

void QtPlatformLayer::openAddress(const std::string& address) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}
