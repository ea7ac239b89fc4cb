#include "user_options.h"

#include <QSettings>

namespace vorlane::shell {

namespace {

const char* const kGroup = "Options";

// The stored text of a key, and whether the key is there at all.
std::pair<QString, bool> readKey(const char* key) {
    QSettings settings(QStringLiteral("Vorlane"), QStringLiteral("Vorlane"));
    settings.beginGroup(QString::fromLatin1(kGroup));
    const QVariant value = settings.value(QString::fromLatin1(key));
    return {value.toString(), !value.isValid()};
}

void writeKey(const char* key, const QString& text) {
    QSettings settings(QStringLiteral("Vorlane"), QStringLiteral("Vorlane"));
    settings.beginGroup(QString::fromLatin1(kGroup));
    settings.setValue(QString::fromLatin1(key), text);
    settings.sync();
}

} // namespace

bool UserOptions::readNumberIsOne(const QString& stored, bool absent, bool fallback) {
    if (absent)
        return fallback;
    bool ok = false;
    const double number = stored.trimmed().toDouble(&ok);
    return ok ? number == 1.0 : fallback;
}

bool UserOptions::readTruthValue(const QString& stored, bool absent, bool fallback) {
    if (absent)
        return fallback;
    const QString text = stored.trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok ? number != 0.0 : fallback;
}

bool UserOptions::showStartInfo() {
    const auto [text, absent] = readKey("ShowStartInfo");
    return readNumberIsOne(text, absent, true);
}

bool UserOptions::showAskTrayExit() {
    const auto [text, absent] = readKey("ShowAskTrayExit");
    return readNumberIsOne(text, absent, true);
}

bool UserOptions::exitOnClose() {
    const auto [text, absent] = readKey("Exit");
    return readTruthValue(text, absent, false);
}

void UserOptions::setShowStartInfoOff() {
    writeKey("ShowStartInfo", QStringLiteral("0"));
}

void UserOptions::setShowAskTrayExitOff() {
    writeKey("ShowAskTrayExit", QStringLiteral("0"));
}

void UserOptions::setExitOnClose(bool exit) {
    writeKey("Exit", exit ? QStringLiteral("True") : QStringLiteral("False"));
}

} // namespace vorlane::shell
