#pragma once
// Small file-type icons for a result list, one per name pattern ("*." + extension). The first icon found
// for a pattern is kept for the list's lifetime, as an image list keeps the first image stored under a key.
// Never answers with a null icon: desktop provider, then the icon theme by MIME type, then a built-in
// picture per kind (audio, video, image, anything else).

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QMimeDatabase>
#include <QString>

namespace vorlane::ui {

// "*." followed by the text after the name's first "." (the whole name when it has none):
// "song.live.mp3" -> "*.live.mp3", "README" -> "*.README".
QString fileTypePattern(const QString& fileName);

class FileTypeIcons {
public:
    enum class Kind { Audio, Video, Image, Other };

    // Index of the pattern's icon in icon(); the icon is looked up on the pattern's first use only.
    int indexFor(const QString& pattern);
    const QIcon& icon(int index) const { return m_icons.at(index); }
    int count() const { return int(m_icons.size()); }

    // The icon the desktop would show for files named like the pattern; never null.
    QIcon drawFileTypeIcon(const QString& pattern);

    static Kind kindOf(const QMimeType& mime);
    // The built-in picture of a kind, drawn by the program so it exists on every platform.
    static QIcon builtInIcon(Kind kind);

private:
    QFileIconProvider m_provider;
    QMimeDatabase m_mimes;
    QHash<QString, int> m_indexByPattern;
    QList<QIcon> m_icons;
    QHash<int, QIcon> m_builtIn; // by Kind, drawn on first need
};

} // namespace vorlane::ui
