#pragma once
// Points the per-user settings store at a temporary folder for the life of the object and starts every
// test with no stored options, so tests never read or write the user's real settings.

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

class TempUserOptions {
public:
    TempUserOptions() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
        clear();
    }
    // Removes every stored option.
    void clear() { store().clear(); }
    // Writes a raw text, as another version of the program or a user's hand might have left it.
    void set(const QString& key, const QString& text) {
        store().setValue(QStringLiteral("Options/") + key, text);
    }
    // The stored text, or a null string when the key is absent.
    QString get(const QString& key) const {
        const QVariant v = QSettings(QStringLiteral("Vorlane"), QStringLiteral("Vorlane"))
                               .value(QStringLiteral("Options/") + key);
        return v.isValid() ? v.toString() : QString();
    }
    bool has(const QString& key) const {
        return QSettings(QStringLiteral("Vorlane"), QStringLiteral("Vorlane"))
            .contains(QStringLiteral("Options/") + key);
    }
    QString path() const { return m_dir.path(); }

private:
    static QSettings store() { return QSettings(QStringLiteral("Vorlane"), QStringLiteral("Vorlane")); }
    QTemporaryDir m_dir;
};
