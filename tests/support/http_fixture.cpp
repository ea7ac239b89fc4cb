#include "http_fixture.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QHash>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace {
constexpr int kHangLimitMs = 120000; // a hang that outlives every test's time-out
constexpr size_t kStreamChunk = 64 * 1024;
// A hanging route holds a worker for as long as it hangs, and a keep-alive connection holds one between
// requests: enough workers that neither starves a crawl with many transfers in flight.
constexpr size_t kWorkers = 64;

// Bytes [from, from + size) of a patterned body.
QByteArray patternSlice(qint64 from, qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(((from + i) * 31 + (from + i) / 1021) & 0xff);
    return bytes;
}
} // namespace

struct HttpFixture::Impl {
    httplib::Server server;
    std::thread thread;
    int port = -1;
    QElapsedTimer clock;
    std::atomic<bool> closing{false};
    std::atomic<bool> listenEnded{false};
    std::atomic<int> latencyMs{0};
    mutable std::mutex mutex;
    QHash<QString, Route> routes;
    QList<Request> requests;
    QStringList answered;
    QHash<QString, qint64> streamed;
    QHash<QString, int> answersStarted;

    // Sleeps in small steps so that the fixture's end is never held up by a pending answer.
    void pause(int ms) {
        QElapsedTimer waited;
        waited.start();
        while (!closing && waited.elapsed() < ms)
            std::this_thread::sleep_for(
                std::chrono::milliseconds(std::min<qint64>(5, ms - waited.elapsed() + 1)));
    }

    void handle(const httplib::Request& req, httplib::Response& res) {
        const QString target = QString::fromStdString(req.target);
        Route route;
        bool found = false;
        {
            std::lock_guard lock(mutex);
            requests.append({target, QByteArray::fromStdString(req.get_header_value("User-Agent")),
                             clock.elapsed(), QByteArray::fromStdString(req.get_header_value("Accept")),
                             QByteArray::fromStdString(req.get_header_value("Accept-Language")),
                             QByteArray::fromStdString(req.method),
                             QByteArray::fromStdString(req.get_header_value("Range"))});
            const auto it = routes.constFind(target);
            if (it != routes.cend()) {
                route = *it;
                found = true;
            }
        }
        pause(latencyMs);
        if (!found) {
            res.status = 404;
            res.set_content("<html><body>Not found</body></html>", "text/html");
            return;
        }
        if (route.hang) {
            pause(kHangLimitMs);
            res.status = 503;
            return;
        }
        pause(route.delayMs);
        if (!route.cookie.isEmpty() && !QByteArray::fromStdString(req.get_header_value("Cookie"))
                                            .replace(' ', "")
                                            .split(';')
                                            .contains(route.cookie)) {
            res.status = 403;
            res.set_content("<html><body>Forbidden</body></html>", "text/html");
            return;
        }
        res.status = route.status;
        for (const auto& [name, value] : route.headers)
            res.set_header(name.toStdString(), value.toStdString());
        if (route.streamBytes > 0) {
            const auto total = size_t(route.streamBytes);
            const std::string prefix = route.body.toStdString();
            qint64 dropAt = -1;
            if (req.method != "HEAD") {
                std::lock_guard lock(mutex);
                if (answersStarted[target]++ == 0 && route.dropAfter > 0)
                    dropAt = route.dropAfter;
            }
            auto provide = [this, total, target, prefix, route, dropAt](size_t offset,
                                                                        httplib::DataSink& sink) {
                if (closing)
                    return false;
                if (offset >= total) {
                    sink.done();
                    return true;
                }
                static const std::string filler(kStreamChunk, ' ');
                std::string pattern;
                const std::string* chunk = offset < prefix.size() ? &prefix : &filler;
                size_t from = offset < prefix.size() ? offset : 0;
                size_t n = std::min(chunk->size() - from, total - offset);
                if (route.patterned) {
                    n = std::min(kStreamChunk, total - offset);
                    if (route.bytesPerSecond > 0)
                        n = std::min(n, size_t(std::max(1, route.bytesPerSecond / 20)));
                    pattern = patternSlice(qint64(offset), qint64(n)).toStdString();
                    chunk = &pattern;
                    from = 0;
                }
                if (dropAt >= 0 && qint64(offset + n) > dropAt) {
                    n = size_t(std::max<qint64>(0, dropAt - qint64(offset)));
                    if (n > 0)
                        sink.write(chunk->data() + from, n);
                    return false; // the connection breaks off
                }
                if (route.bytesPerSecond > 0)
                    pause(int(qint64(n) * 1000 / route.bytesPerSecond));
                if (!sink.write(chunk->data() + from, n))
                    return false;
                std::lock_guard lock(mutex);
                streamed[target] += qint64(n);
                return true;
            };
            if (route.chunked)
                res.set_chunked_content_provider(route.contentType.toStdString(), provide);
            else
                res.set_content_provider(total, route.contentType.toStdString(),
                                         [provide](size_t offset, size_t, httplib::DataSink& sink) {
                                             return provide(offset, sink);
                                         });
            return;
        }
        if (route.contentType.isEmpty())
            res.body = route.body.toStdString();
        else
            res.set_content(route.body.toStdString(), route.contentType.toStdString());
    }
};

HttpFixture::HttpFixture() : d(std::make_unique<Impl>()) {
    d->clock.start();
    d->server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    // A client that keeps a connection open (a crawl's keep-alive pool) or stops reading holds a worker,
    // and the fixture's end waits for every worker: short time-outs bound that wait.
    d->server.set_keep_alive_timeout(1);
    d->server.set_read_timeout(2);
    d->server.set_write_timeout(2);
    // Called once an answer has been written out, whatever became of it.
    d->server.set_logger([this](const httplib::Request& req, const httplib::Response&) {
        std::lock_guard lock(d->mutex);
        d->answered.append(QString::fromStdString(req.target));
    });
    // Any path, a decoded newline in it included.
    d->server.Get("[\\s\\S]*",
                  [this](const httplib::Request& req, httplib::Response& res) { d->handle(req, res); });
    d->port = d->server.bind_to_any_port("127.0.0.1");
    if (d->port > 0)
        d->thread = std::thread([this] {
            d->server.listen_after_bind();
            d->listenEnded = true;
        });
}

HttpFixture::~HttpFixture() {
    d->closing = true;
    // stop() does nothing until the listening thread has marked the server running; stopped before that,
    // the thread would go on to block in accept() for good and the join below with it.
    while (d->thread.joinable() && !d->server.is_running() && !d->listenEnded)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    d->server.stop();
    if (d->thread.joinable())
        d->thread.join();
}

bool HttpFixture::isListening() const {
    return d->port > 0;
}

quint16 HttpFixture::port() const {
    return quint16(std::max(0, d->port));
}

QString HttpFixture::url(const QString& target) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(target);
}

void HttpFixture::setRoute(const QString& target, const Route& route) {
    std::lock_guard lock(d->mutex);
    d->routes.insert(target, route);
}

void HttpFixture::setPage(const QString& target, const QString& html) {
    Route route;
    route.contentType = "text/html; charset=utf-8";
    route.body = html.toUtf8();
    setRoute(target, route);
}

void HttpFixture::setRedirect(const QString& target, const QString& location, int status) {
    Route route;
    route.status = status;
    route.headers.append({"Location", location.toUtf8()});
    setRoute(target, route);
}

void HttpFixture::setLatencyMs(int ms) {
    d->latencyMs = ms;
}

QList<HttpFixture::Request> HttpFixture::requests() const {
    std::lock_guard lock(d->mutex);
    return d->requests;
}

QStringList HttpFixture::requestedTargets() const {
    QStringList targets;
    for (const Request& request : requests())
        targets.append(request.target);
    return targets;
}

int HttpFixture::hits(const QString& target) const {
    return int(requestedTargets().count(target));
}

qint64 HttpFixture::bytesStreamed(const QString& target) const {
    std::lock_guard lock(d->mutex);
    return d->streamed.value(target);
}

int HttpFixture::answered(const QString& target) const {
    std::lock_guard lock(d->mutex);
    return int(target.isEmpty() ? d->answered.size() : d->answered.count(target));
}

void HttpFixture::clearRequests() {
    std::lock_guard lock(d->mutex);
    d->requests.clear();
    d->answered.clear();
}

HttpFixture::Route HttpFixture::patternedFile(qint64 size, int bytesPerSecond) {
    Route route;
    route.contentType = "application/octet-stream";
    route.streamBytes = size;
    route.patterned = true;
    route.bytesPerSecond = bytesPerSecond;
    return route;
}

QByteArray HttpFixture::patternBytes(qint64 size) {
    return patternSlice(0, size);
}

QString HttpFixture::linksPage(const QStringList& hrefs) {
    QString html = QStringLiteral("<!DOCTYPE html><html><body>\n");
    for (const QString& href : hrefs)
        html += QStringLiteral("<a href=\"%1\">%1</a>\n").arg(href.toHtmlEscaped());
    return html + QStringLiteral("</body></html>\n");
}
