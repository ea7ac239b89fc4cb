#include "crawl/link_rules.h"

namespace vorlane::crawl {

namespace {

QStringView withoutDot(QStringView extension) {
    return extension.startsWith(u'.') ? extension.mid(1) : extension;
}

// The path of an address or href: query and fragment left out, and for an absolute address the scheme
// and authority too, so "http://www.example.com" has no extension however its host name ends.
QStringView pathOf(const QString& address) {
    QStringView path(address);
    qsizetype end = 0;
    while (end < path.size() && path[end] != u'?' && path[end] != u'#')
        ++end;
    path = path.left(end);
    const qsizetype authority = path.indexOf(u"://");
    if (authority >= 0) {
        const qsizetype slash = path.indexOf(u'/', authority + 3);
        return slash < 0 ? QStringView() : path.mid(slash);
    }
    return path;
}

} // namespace

QStringList splitExtensions(const QString& fileExt) {
    QStringList extensions;
    for (const QStringView item : QStringView(fileExt).split(u',')) {
        const QStringView trimmed = item.trimmed();
        if (!trimmed.isEmpty() && trimmed != u".")
            extensions.append(trimmed.toString());
    }
    return extensions;
}

QString pathExtension(const QString& address) {
    const QStringView path = pathOf(address);
    const QStringView name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0 || dot + 1 == name.size())
        return {};
    return name.mid(dot).toString();
}

bool isMediaLink(const QString& address, const QStringList& extensions) {
    // The name's whole tail is compared, so a media type may list ".tar.gz" as well as ".gz".
    const QStringView path = pathOf(address);
    const QStringView name = path.mid(path.lastIndexOf(u'/') + 1);
    for (const QString& candidate : extensions) {
        const QStringView bare = withoutDot(candidate);
        if (bare.isEmpty() || name.size() <= bare.size() + 1)
            continue;
        if (name.endsWith(bare, Qt::CaseInsensitive) && name[name.size() - bare.size() - 1] == u'.')
            return true;
    }
    return false;
}

bool isFilteredUrl(const QString& address, const QStringList& filters) {
    for (const QString& word : filters) {
        // An empty word is a blank line in the filter list, not a wish to block every page.
        if (!word.isEmpty() && address.contains(word, Qt::CaseSensitive))
            return true;
    }
    return false;
}

} // namespace vorlane::crawl
