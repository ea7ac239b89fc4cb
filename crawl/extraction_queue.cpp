#include "crawl/extraction_queue.h"

#include <QMetaObject>

namespace vorlane::crawl {

namespace {

constexpr int kWorkers = 2;

} // namespace

ExtractionQueue::ExtractionQueue(QObject* parent) : QObject(parent) {
    m_workers.setMaxThreadCount(kWorkers);
}

ExtractionQueue::~ExtractionQueue() {
    // A worker still running posts to this object: it must be done before the object goes.
    m_workers.clear();
    m_workers.waitForDone();
}

void ExtractionQueue::reset() {
    m_workers.clear();
    m_pages.clear();
}

void ExtractionQueue::add(int key, FetchResult&& result, const QStringList& extensions) {
    Entry& entry = m_pages[key];
    entry.page.outcome = result.outcome;
    entry.page.contentType = result.contentType;
    entry.page.dispositionFileName = result.dispositionFileName;
    entry.page.failure = result.failure;
    entry.page.httpStatus = result.httpStatus;
    entry.page.bytes = result.body.size();
    entry.page.elapsedMs = result.elapsedMs;
    entry.page.failureDetail = result.failureDetail;
    if (result.outcome != FetchResult::Outcome::Page) {
        entry.ticket = 0;
        emit ready(key);
        return;
    }
    const quint64 ticket = entry.ticket = ++m_lastTicket;
    PageInput input{std::move(result.body), result.contentType, result.finalUrl, extensions};
    m_workers.start([this, key, ticket, input = std::move(input)] {
        ExtractedLinks links = extractPage(input);
        // `this` only addresses the call: it runs on this object's thread.
        QMetaObject::invokeMethod(
            this,
            [this, key, ticket, links = std::move(links)]() mutable {
                extracted(key, ticket, std::move(links));
            },
            Qt::QueuedConnection);
    });
}

void ExtractionQueue::extracted(int key, quint64 ticket, ExtractedLinks&& links) {
    const auto entry = m_pages.find(key);
    if (entry == m_pages.end() || entry->ticket != ticket)
        return; // forgotten meanwhile
    entry->page.links = std::move(links);
    entry->ticket = 0;
    emit ready(key);
}

std::optional<PreparedPage> ExtractionQueue::take(int key) {
    const auto entry = m_pages.find(key);
    if (entry == m_pages.end() || entry->ticket != 0)
        return std::nullopt;
    PreparedPage page = std::move(entry->page);
    m_pages.erase(entry);
    return page;
}

} // namespace vorlane::crawl
