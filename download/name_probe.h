#pragma once
// Asks the server about a file before it is transferred: one HEAD request, redirects followed (never from
// https to http). Tells the final address, the name the server suggests and the size it announces, or why
// the file is not to be fetched. Asynchronous on the caller's thread.

#include <QHash>
#include <QNetworkAccessManager>
#include <QObject>

class QNetworkReply;

namespace vorlane::download {

struct ProbeResult {
    QString finalUrl;      // after redirects; the address itself when nothing was learnt
    QString suggestedName; // from Content-Disposition; empty when the server sent none
    qint64 announcedSize = -1;
    QString refusal; // non-empty: the file is not to be fetched, and why
};

class NameProbe : public QObject {
    Q_OBJECT
public:
    explicit NameProbe(QObject* parent = nullptr);
    void setTimeoutSeconds(int seconds) { m_timeoutSeconds = seconds; }
    void setUserAgent(const QString& userAgent) { m_userAgent = userAgent; }

    // An ftp address is answered at once, with its own name.
    void probe(qint64 id, const QString& url);
    void abort(qint64 id);
    int inFlight() const { return int(m_replies.size()); }

signals:
    void probed(qint64 id, const vorlane::download::ProbeResult& result);

private:
    void finished(qint64 id, QNetworkReply* reply, const QString& url);

    QNetworkAccessManager m_manager;
    QHash<qint64, QNetworkReply*> m_replies;
    int m_timeoutSeconds = 60;
    QString m_userAgent;
};

} // namespace vorlane::download
