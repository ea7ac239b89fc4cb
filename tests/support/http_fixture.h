#pragma once
// A real HTTP/1.1 server on 127.0.0.1 for tests, on its own threads: routes with canned bodies, types,
// headers, delays, redirects, endless or huge bodies and silent hangs; it records every request with its
// time, and every answer once written out. Routes may be changed while it runs. Everything not routed
// answers 404.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <memory>

class HttpFixture {
public:
    struct Route {
        int status = 200;
        QByteArray contentType = "text/html"; // empty: no Content-Type header at all
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        int delayMs = 0;                  // before the answer starts
        bool hang = false;                // never answers (until the fixture goes away)
        qint64 streamBytes = 0;           // > 0: `body`, then filler up to this many bytes, streamed
        bool chunked = false;             // streamed without a Content-Length
        QByteArray cookie = QByteArray(); // "name=value": answered 403 unless the request carries this cookie
        // Streamed routes: the body is patternBytes(streamBytes) instead of `body` and filler (a Range
        // request gets its part of it).
        bool patterned = false;
        int bytesPerSecond = 0; // > 0: streamed no faster
        qint64 dropAfter = 0;   // > 0: the first answer breaks off after this many body bytes
    };

    struct Request {
        QString target; // path and query, as sent
        QByteArray userAgent;
        qint64 receivedMs; // since the fixture started
        QByteArray accept;
        QByteArray acceptLanguage;
        QByteArray method;
        QByteArray range;
    };

    HttpFixture();
    ~HttpFixture();
    HttpFixture(const HttpFixture&) = delete;
    HttpFixture& operator=(const HttpFixture&) = delete;

    bool isListening() const;
    quint16 port() const;
    QString url(const QString& target) const; // "http://127.0.0.1:<port>" + target

    void setRoute(const QString& target, const Route& route);
    void setPage(const QString& target, const QString& html); // text/html; charset=utf-8
    void setRedirect(const QString& target, const QString& location, int status = 302);
    // Added before every answer.
    void setLatencyMs(int ms);

    QList<Request> requests() const;
    QStringList requestedTargets() const; // in the order received
    int hits(const QString& target) const;
    qint64 bytesStreamed(const QString& target) const; // body bytes of streamed routes handed to the socket
    // Answers written out in full (a streamed one: to its end, or until the client left), for any target
    // when none is given.
    int answered(const QString& target = {}) const;
    void clearRequests(); // and the answers

    // The body of a patterned route: `size` bytes no two nearby runs of which are alike.
    static QByteArray patternBytes(qint64 size);
    // A file of patternBytes(size), streamed no faster than `bytesPerSecond` when that is above 0.
    static Route patternedFile(qint64 size, int bytesPerSecond = 0);

    // Links to the given targets as a page body, in order: <a href="...">.
    static QString linksPage(const QStringList& hrefs);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
