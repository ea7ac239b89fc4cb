#include "aria2_errors.h"

#include <QStorageInfo>
#include <cerrno>
#include <cstring>

namespace vorlane::download {

namespace {
// Below this, a failed write in the folder is taken for a full disk.
constexpr qint64 kFullDiskBytes = 256 * 1024;

const char* codeText(int code) {
    switch (code) {
    case 2:
        return "The connection timed out";
    case 3:
        return "The file was not found on the server (404)";
    case 5:
        return "The transfer was too slow";
    case 6:
        return "A network problem occurred";
    case 7:
        return "The transfer was not finished";
    case 8:
        return "The server cannot resume the file";
    case 9:
        return "Not enough disk space";
    case 10:
        return "The piece length differs from the control file";
    case 13:
        return "The file already exists";
    case 14:
        return "The file could not be renamed";
    case 15:
        return "The existing file could not be opened";
    case 16:
        return "The file could not be created";
    case 17:
        return "The file could not be written";
    case 18:
        return "The folder could not be created";
    case 19:
        return "The server's name could not be resolved";
    case 21:
        return "The FTP server refused a command";
    case 22:
        return "The server answered with an error or an unexpected header";
    case 23:
        return "Too many redirects";
    case 24:
        return "The server asked for a user name and password";
    case 29:
        return "The server is overloaded or under maintenance";
    case 32:
        return "The checksum did not match";
    default:
        return nullptr;
    }
}
} // namespace

QString transferErrorText(int code, const QString& folder) {
    if (code == 9 || code == 16 || code == 17) {
        const QStorageInfo storage(folder);
        if (storage.isValid() && storage.bytesAvailable() < kFullDiskBytes)
            return QString::fromLocal8Bit(std::strerror(ENOSPC));
    }
    if (const char* text = codeText(code))
        return QString::fromLatin1(text);
    return QStringLiteral("The transfer failed (error %1)").arg(code);
}

} // namespace vorlane::download
