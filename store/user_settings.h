#pragma once
// The per-user settings file (organisation and application "Vorlane") and tolerant readers for its
// values: a missing or unreadable value reads as the fallback.

#include <QSettings>

namespace vorlane::store {

QSettings openUserSettings();
bool readBool(const QSettings& settings, const QString& key, bool fallback);
int readInt(const QSettings& settings, const QString& key, int fallback);
// Writes the file out; empty on success, otherwise the text saying `what` could not be saved.
QString syncUserSettings(QSettings& settings, const char* what);

} // namespace vorlane::store
