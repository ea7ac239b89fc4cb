#include "store/user_settings.h"

#include <QCoreApplication>

namespace vorlane::store {

QSettings openUserSettings() {
    return QSettings(QStringLiteral("Vorlane"), QStringLiteral("Vorlane"));
}

bool readBool(const QSettings& settings, const QString& key, bool fallback) {
    const QString text = settings.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return fallback;
}

int readInt(const QSettings& settings, const QString& key, int fallback) {
    bool ok = false;
    const int value = settings.value(key).toString().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

QString syncUserSettings(QSettings& settings, const char* what) {
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return {};
    return QCoreApplication::translate("UserSettings", "The %1 could not be saved to %2.")
        .arg(QCoreApplication::translate("UserSettings", what), settings.fileName());
}

} // namespace vorlane::store
