#include "name_probe.h"

#include "file_naming.h"
#include <QNetworkReply>
#include <QTimer>
#include <QUrl>

namespace vorlane::download {

NameProbe::NameProbe(QObject* parent) : QObject(parent), m_manager(this) {
    m_manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

void NameProbe::probe(qint64 id, const QString& url) {
    const QUrl address(url);
    if (address.scheme().compare(u"ftp", Qt::CaseInsensitive) == 0) {
        // Answered on the next turn of the event loop, like every other probe.
        QTimer::singleShot(0, this, [this, id, url] { emit probed(id, ProbeResult{url, {}, -1, {}}); });
        return;
    }
    QNetworkRequest request(address);
    request.setTransferTimeout(m_timeoutSeconds * 1000);
    if (!m_userAgent.isEmpty())
        request.setHeader(QNetworkRequest::UserAgentHeader, m_userAgent);
    QNetworkReply* reply = m_manager.head(request);
    m_replies.insert(id, reply);
    // The transfer time-out counts from the request on; a connection that never opens ends here, and the
    // transfer tries for itself.
    QTimer::singleShot(m_timeoutSeconds * 1000, reply, [reply] { reply->abort(); });
    connect(reply, &QNetworkReply::finished, this, [this, id, reply, url] { finished(id, reply, url); });
}

void NameProbe::abort(qint64 id) {
    if (QNetworkReply* reply = m_replies.take(id)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void NameProbe::finished(qint64 id, QNetworkReply* reply, const QString& url) {
    m_replies.remove(id);
    reply->deleteLater();
    ProbeResult result{url, {}, -1, {}};
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() == QNetworkReply::InsecureRedirectError) {
        result.refusal = QStringLiteral("The server redirected from https to http; the file was not fetched");
    } else if (status >= 400 && status != 405 && status != 501) {
        // A server that cannot answer HEAD (405, 501) is asked again by the transfer itself.
        const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        result.refusal = QStringLiteral("The server answered %1 %2").arg(status).arg(reason).trimmed();
    } else if (reply->error() == QNetworkReply::NoError) {
        result.finalUrl = reply->url().toString(QUrl::FullyEncoded);
        result.suggestedName = fileNameFromContentDisposition(reply->rawHeader("Content-Disposition"));
        if (reply->hasRawHeader("Content-Length"))
            result.announcedSize = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    }
    // Any other failure (refused, timed out) is left to the transfer, which retries and tells its own
    // reason.
    emit probed(id, result);
}

} // namespace vorlane::download
