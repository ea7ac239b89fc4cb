#include "fetcher.h"

#include "crawl/body_decoder.h"
#include "urls/content_disposition.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>
#include <algorithm>

namespace vorlane::crawl {

namespace {

// "de-DE,de;q=0.9,en;q=0.8" from the system's languages, best first.
QByteArray acceptLanguage() {
    QByteArrayList tags;
    for (const QString& language : QLocale::system().uiLanguages()) {
        const bool plain = !language.isEmpty() && language.size() <= 35 &&
                           std::all_of(language.cbegin(), language.cend(), [](QChar c) {
                               return c.isDigit() || c == u'-' || (c.unicode() < 128 && c.isLetter());
                           });
        if (plain && !tags.contains(language.toLatin1()))
            tags.append(language.toLatin1());
    }
    if (tags.isEmpty())
        return QByteArrayLiteral("en");
    QByteArray header = tags.first();
    for (qsizetype i = 1; i < tags.size(); ++i)
        header += ',' + tags.at(i) + ";q=" + QByteArray::number(std::max(0.1, 1.0 - 0.1 * double(i)), 'f', 1);
    return header;
}

// Qt opens at most six HTTP/1 connections per host and manager; more managers let a crawl of one site
// really keep the requested number of transfers in flight.
constexpr int kConnectionsPerManager = 6;

// Body bytes Qt may hold for a transfer before it stops reading the socket. The body is taken from it as it
// arrives, so this bounds what is read past a decision (headers judged, cap passed) rather than the page.
constexpr qint64 kReadBufferBytes = 64 * 1024;

// Qt joins repeated headers with ", ", and after a redirect on a kept-alive connection the redirect's own
// Content-Type may still be in the list: the last one is the final response's.
QByteArray lastHeaderValue(const QByteArray& joined) {
    const qsizetype comma = joined.lastIndexOf(',');
    if (comma < 0 || joined.indexOf('"') >= 0)
        return joined.trimmed();
    return joined.mid(comma + 1).trimmed();
}

bool isPageType(const QByteArray& contentType) {
    const QByteArray mime = contentType.split(';').first().trimmed().toLower();
    return mime.isEmpty() || mime == "text/html" || mime == "application/xhtml+xml";
}

// A transfer that brought no response. Qt reports its own transfer time-out as a cancellation; our own
// aborts never get here (they are abandoned or dropped first).
FetchFailure failureOf(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return FetchFailure::TimedOut;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
        return FetchFailure::Refused;
    case QNetworkReply::SslHandshakeFailedError:
        return FetchFailure::Tls;
    case QNetworkReply::InsecureRedirectError:
    case QNetworkReply::TooManyRedirectsError:
        return FetchFailure::Redirect;
    default:
        return FetchFailure::Other;
    }
}

} // namespace

struct Fetcher::Transfer {
    int ticket = 0;
    QNetworkAccessManager* manager = nullptr;
    QNetworkReply* reply = nullptr;
    // Set before an abort of our own, so that the finished signal the abort raises reports the reason
    // rather than a cancellation.
    bool abandoned = false;
    bool anyType = false;
    QElapsedTimer clock;  // from the request to the end of the answer
    bool waiting = false; // stopped reading until the body budget has room
    qint64 counted = 0;   // body bytes in m_bodyBytes
    QStringList tlsErrors;
    BodyDecoder decoder;
    bool decoderReady = false;
    // Children of the fetcher, let go with the transfer. Both stand still while it waits for room in the
    // body budget: that wait is the crawl's, not the server's.
    QTimer* idle = nullptr;     // started again by every byte that comes
    QTimer* deadline = nullptr; // for the whole page
    int idleMs = 0;
    int deadlineLeftMs = 0; // while waiting
    FetchResult result;
};

QString crawlerUserAgent() {
    return QStringLiteral("Vorlane/" VORLANE_VERSION);
}

Fetcher::Fetcher(QObject* parent) : QObject(parent) {
    // The system's proxy settings (the environment's http_proxy on Linux, the Internet options on
    // Windows), decided here rather than left to each platform's default.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    setConcurrency(1);
}

Fetcher::~Fetcher() {
    cancelAll();
}

void Fetcher::setTimeoutSeconds(int seconds) {
    m_timeoutSeconds = std::max(0, seconds);
}

void Fetcher::setDeadlineMs(int ms) {
    m_deadlineMs = std::max(0, ms);
}

void Fetcher::setBodyBudget(qint64 bytes) {
    m_budget = std::max<qint64>(1, bytes);
    scheduleResume();
}

void Fetcher::setBytesHeld(qint64 heldByCaller) {
    const bool freed = heldByCaller < m_heldByCaller;
    m_heldByCaller = std::max<qint64>(0, heldByCaller);
    if (freed)
        scheduleResume();
}

void Fetcher::setUrgent(int ticket) {
    if (ticket == m_urgent)
        return;
    m_urgent = ticket;
    scheduleResume();
}

void Fetcher::setConcurrency(int transfers) {
    const int wanted =
        std::max(1, (std::max(1, transfers) + kConnectionsPerManager - 1) / kConnectionsPerManager);
    if (!m_cookies)
        forgetCookies();
    while (int(m_managers.size()) < wanted) {
        auto* manager = new QNetworkAccessManager(this);
        manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
        manager->setCookieJar(m_cookies);
        m_cookies->setParent(this); // the managers share it; the fetcher keeps it
        m_managers.push_back(manager);
        m_load.insert(manager, 0);
    }
}

void Fetcher::forgetCookies() {
    auto* jar = new QNetworkCookieJar(this);
    for (QNetworkAccessManager* manager : m_managers) {
        manager->setCookieJar(jar);
        jar->setParent(this);
    }
    delete m_cookies;
    m_cookies = jar;
}

QNetworkAccessManager* Fetcher::leastBusyManager() {
    return *std::min_element(m_managers.begin(), m_managers.end(),
                             [this](auto* a, auto* b) { return m_load.value(a) < m_load.value(b); });
}

int Fetcher::fetch(const QUrl& url, bool anyType) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, crawlerUserAgent());
    // What a browser asks for: a page first, anything else after, in the user's languages.
    request.setRawHeader("Accept", "text/html,application/xhtml+xml;q=0.9,*/*;q=0.8");
    static const QByteArray kAcceptLanguage = acceptLanguage(); // the system's languages, read once a run
    request.setRawHeader("Accept-Language", kAcceptLanguage);
    // Asked for here, so that the body comes as sent and is inflated by BodyDecoder under the page cap.
    request.setRawHeader("Accept-Encoding", "gzip, deflate");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);

    auto transfer = std::make_shared<Transfer>();
    transfer->ticket = m_nextTicket++;
    if (m_nextTicket <= 0) // wrapped after two billion transfers
        m_nextTicket = 1;
    transfer->anyType = anyType;
    transfer->manager = leastBusyManager();
    transfer->result.finalUrl = url;
    transfer->clock.start();
    ++m_load[transfer->manager];
    transfer->idleMs = m_timeoutSeconds * 1000;
    if (transfer->idleMs > 0)
        transfer->idle = makeClock(transfer.get(), FetchFailure::TimedOut, transfer->idleMs);
    if (m_deadlineMs > 0)
        transfer->deadline = makeClock(transfer.get(), FetchFailure::TooSlow, m_deadlineMs);
    send(transfer, request);
    return transfer->ticket;
}

// Stopped before the transfer goes away (dropReply), so the raw pointer is never used after it.
QTimer* Fetcher::makeClock(Transfer* transfer, FetchFailure reason, int ms) {
    auto* clock = new QTimer(this);
    clock->setSingleShot(true);
    connect(clock, &QTimer::timeout, this, [this, transfer, reason] {
        if (!transfer->abandoned)
            abandon(transfer->reply, reason);
    });
    clock->start(ms);
    return clock;
}

void Fetcher::holdClocks(Transfer& transfer, bool hold) {
    if (transfer.idle)
        hold ? transfer.idle->stop() : transfer.idle->start(transfer.idleMs);
    if (!transfer.deadline)
        return;
    if (hold) {
        if (transfer.deadline->isActive())
            transfer.deadlineLeftMs = transfer.deadline->remainingTime();
        transfer.deadline->stop();
    } else {
        transfer.deadline->start(std::max(0, transfer.deadlineLeftMs));
    }
}

void Fetcher::send(const std::shared_ptr<Transfer>& transfer, const QNetworkRequest& request) {
    QNetworkReply* reply = transfer->manager->get(request);
    reply->setReadBufferSize(kReadBufferBytes);
    transfer->reply = reply;
    m_transfers.insert(reply, transfer);
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] { onMetaData(reply); });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { onReadyRead(reply); });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
    connect(reply, &QNetworkReply::downloadProgress, this, [raw = transfer.get()] {
        if (raw->idle && !raw->waiting)
            raw->idle->start(raw->idleMs);
    });
    // Never ignored: the page fails with what was wrong with the certificate.
    connect(reply, &QNetworkReply::sslErrors, this, [this, reply](const QList<QSslError>& errors) {
        if (const auto transfer = m_transfers.value(reply))
            for (const QSslError& error : errors)
                transfer->tlsErrors << error.errorString();
    });
}

void Fetcher::onMetaData(QNetworkReply* reply) {
    const auto transfer = m_transfers.value(reply);
    if (!transfer || transfer->abandoned)
        return;
    // The headers of a redirect say nothing about the page at its end.
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400 && reply->hasRawHeader("Location"))
        return;
    transfer->result.body.clear(); // whatever came before these headers was a redirect's
    account(*transfer);
    transfer->decoder.reset(reply->rawHeader("Content-Encoding"));
    transfer->decoderReady = true;
    transfer->result.contentType = lastHeaderValue(reply->rawHeader("Content-Type"));
    transfer->result.dispositionFileName =
        urls::fileNameFromContentDisposition(reply->rawHeader("Content-Disposition"));
    if (!transfer->anyType && !isPageType(transfer->result.contentType)) {
        abandon(reply, FetchFailure::NotPage);
        return;
    }
    bool known = false;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && length > kMaxPageBytes)
        abandon(reply, FetchFailure::TooLarge);
}

void Fetcher::onReadyRead(QNetworkReply* reply) {
    const auto transfer = m_transfers.value(reply);
    if (!transfer || transfer->abandoned)
        return;
    // A body of any type (robots.txt) is read whatever the budget: a page may be held until it is known.
    if (transfer->ticket != m_urgent && !transfer->anyType && !hasRoom()) {
        // Left in the reply's small buffer: the network library stops reading the socket until it is taken.
        if (!transfer->waiting) {
            transfer->waiting = true;
            holdClocks(*transfer, true);
        }
        return;
    }
    takeBody(reply, *transfer);
}

bool Fetcher::takeBody(QNetworkReply* reply, Transfer& transfer) {
    if (!transfer.decoderReady) {
        transfer.decoder.reset(reply->rawHeader("Content-Encoding"));
        transfer.decoderReady = true;
    }
    const auto status = transfer.decoder.decode(reply->readAll(), transfer.result.body, kMaxPageBytes);
    account(transfer);
    if (status == BodyDecoder::Status::Ok)
        return true;
    abandon(reply, status == BodyDecoder::Status::TooLarge ? FetchFailure::TooLarge : FetchFailure::Other);
    return false;
}

void Fetcher::account(Transfer& transfer) {
    m_bodyBytes += transfer.result.body.size() - transfer.counted;
    transfer.counted = transfer.result.body.size();
}

void Fetcher::abandon(QNetworkReply* reply, FetchFailure reason) {
    const auto transfer = m_transfers.value(reply);
    if (!transfer)
        return;
    transfer->abandoned = true;
    transfer->result.outcome =
        reason == FetchFailure::NotPage ? FetchResult::Outcome::NotPage : FetchResult::Outcome::Failed;
    transfer->result.failure = reason;
    transfer->result.body.clear();
    account(*transfer);
    transfer->result.finalUrl = reply->url();
    reply->abort(); // raises finished, which reports the outcome set above
}

void Fetcher::onFinished(QNetworkReply* reply) {
    const auto transfer = m_transfers.value(reply);
    if (!transfer)
        return;
    if (!transfer->abandoned) {
        const auto error = reply->error();
        // An HTTP error status still brings a page (a 404 page has links like any other); only a transfer
        // that brought no response at all fails.
        const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
        const bool httpStatusError =
            (error > QNetworkReply::ContentAccessDenied - 1 && error <= QNetworkReply::UnknownContentError) ||
            (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
        FetchResult& result = transfer->result;
        result.finalUrl = reply->url();
        if (error == QNetworkReply::NoError || (answered && httpStatusError)) {
            result.contentType = lastHeaderValue(reply->rawHeader("Content-Type"));
            result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            result.retryAfter = reply->rawHeader("Retry-After");
            if (transfer->anyType || isPageType(result.contentType)) {
                result.outcome = FetchResult::Outcome::Page;
                result.failure = result.httpStatus >= 400 ? FetchFailure::HttpError : FetchFailure::None;
                takeBody(reply, *transfer); // abandoning sets the outcome
            } else {
                result.outcome = FetchResult::Outcome::NotPage;
                result.failure = FetchFailure::NotPage;
                result.body.clear();
                result.dispositionFileName =
                    urls::fileNameFromContentDisposition(reply->rawHeader("Content-Disposition"));
            }
        } else {
            result.outcome = FetchResult::Outcome::Failed;
            result.failure = transfer->tlsErrors.isEmpty() ? failureOf(error) : FetchFailure::Tls;
            if (result.failure == FetchFailure::Tls)
                result.failureDetail =
                    transfer->tlsErrors.isEmpty() ? reply->errorString() : transfer->tlsErrors.join(u"; ");
            result.body.clear();
        }
    }
    FetchResult result = std::move(transfer->result);
    result.elapsedMs = int(transfer->clock.elapsed());
    const int ticket = transfer->ticket;
    dropReply(reply);
    emit finished(ticket, result);
}

void Fetcher::dropReply(QNetworkReply* reply) {
    const auto transfer = m_transfers.take(reply);
    if (transfer) {
        --m_load[transfer->manager];
        for (QTimer** clock : {&transfer->idle, &transfer->deadline}) {
            if (*clock) {
                (*clock)->stop();
                (*clock)->deleteLater();
                *clock = nullptr;
            }
        }
        m_bodyBytes -= transfer->counted;
        transfer->counted = 0;
        scheduleResume();
    }
    reply->disconnect(this);
    reply->deleteLater();
}

void Fetcher::scheduleResume() {
    if (m_resumeScheduled)
        return;
    m_resumeScheduled = true;
    QMetaObject::invokeMethod(
        this, [this] { resumeWaiting(); }, Qt::QueuedConnection);
}

// The waiting transfers take what their replies hold, the urgent one first, as far as the budget allows.
void Fetcher::resumeWaiting() {
    m_resumeScheduled = false;
    QList<QNetworkReply*> waiting;
    for (auto it = m_transfers.cbegin(); it != m_transfers.cend(); ++it) {
        if (it.value()->waiting)
            (it.value()->ticket == m_urgent ? waiting.prepend(it.key()) : waiting.append(it.key()));
    }
    for (QNetworkReply* reply : waiting) {
        const auto transfer = m_transfers.value(reply);
        if (!transfer || transfer->abandoned || !transfer->waiting)
            continue;
        if (transfer->ticket != m_urgent && !hasRoom())
            break;
        transfer->waiting = false;
        holdClocks(*transfer, false);
        takeBody(reply, *transfer);
    }
}

void Fetcher::cancel(int ticket) {
    for (auto it = m_transfers.cbegin(); it != m_transfers.cend(); ++it) {
        if (it.value()->ticket == ticket) {
            QNetworkReply* reply = it.key();
            dropReply(reply);
            reply->abort();
            return;
        }
    }
}

void Fetcher::cancelAll() {
    const auto replies = m_transfers.keys();
    for (QNetworkReply* reply : replies) {
        dropReply(reply);
        reply->abort();
    }
}

} // namespace vorlane::crawl
