#include "crawl/link_rules.h"

#include <QUrl>

namespace {

// The scheme of an absolute address in lower case, or empty. Only addresses with an authority ("://")
// and a host count: "http:foo" is not a web address.
QString schemeOf(const QString& address) {
    const QUrl url(address, QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    return url.scheme();
}

QStringView withoutDot(QStringView extension) {
    return extension.startsWith(u'.') ? extension.mid(1) : extension;
}

} // namespace

QStringList SplitExtensions(const QString& fileExt) {
    QStringList extensions;
    for (const QStringView item : QStringView(fileExt).split(u',')) {
        const QStringView trimmed = item.trimmed();
        if (!trimmed.isEmpty() && trimmed != u".")
            extensions.append(trimmed.toString());
    }
    return extensions;
}

QString PathExtension(const QString& address) {
    QStringView path(address);
    qsizetype end = 0;
    while (end < path.size() && path[end] != u'?' && path[end] != u'#')
        ++end;
    path = path.left(end);
    // The path of an absolute address starts after its authority: "http://www.example.com" has no
    // extension, however its host name ends.
    const qsizetype authority = path.indexOf(u"://");
    if (authority >= 0) {
        const qsizetype slash = path.indexOf(u'/', authority + 3);
        if (slash < 0)
            return {};
        path = path.mid(slash);
    }
    const QStringView segment = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = segment.lastIndexOf(u'.');
    if (dot < 0 || dot + 1 == segment.size())
        return {};
    return segment.mid(dot).toString();
}

bool IsMediaLink(const QString& address, const QStringList& extensions) {
    if (extensions.isEmpty())
        return false;
    const QString extension = PathExtension(address);
    if (extension.isEmpty())
        return false;
    for (const QString& candidate : extensions) {
        if (withoutDot(candidate).compare(QStringView(extension).mid(1), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool IsFilteredUrl(const QString& address, const QStringList& filters) {
    for (const QString& word : filters) {
        // An empty word is a blank line in the filter list, not a wish to block every page.
        if (!word.isEmpty() && address.contains(word, Qt::CaseSensitive))
            return true;
    }
    return false;
}

bool IsCrawlableAddress(const QString& address) {
    const QString scheme = schemeOf(address);
    return scheme == u"http" || scheme == u"https";
}

bool IsRecordableAddress(const QString& address) {
    const QString scheme = schemeOf(address);
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp";
}
