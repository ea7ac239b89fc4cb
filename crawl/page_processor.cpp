#include "crawl/page_processor.h"

#include "crawl/crawl_cursor.h"
#include "crawl/served_media.h"
#include "store/campaign_store.h"
#include "urls/display_name.h"
#include "urls/resolve.h"
#include "urls/scheme_rules.h"

#include <QDeadlineTimer>

namespace vorlane::crawl {

namespace {

// A slice: small enough that a huge page leaves the event loop turning and that a killed process loses
// little, large enough that ordinary pages take one turn and one transaction.
constexpr int kLinksPerSlice = 256;
constexpr int kSliceMs = 10;

} // namespace

PageProcessor::PageProcessor(CrawlCursor& cursor, QObject* parent) : QObject(parent), m_cursor(cursor) {}

void PageProcessor::start(store::CampaignStore& store, int campaignId, const QStringList& extensions) {
    clear();
    m_store = &store;
    m_campaignId = campaignId;
    m_extensions = extensions;
    m_filesFound = 0;
    m_pagesDone = 0;
    m_interrupted = false;
    m_storeError.clear();
}

void PageProcessor::clear() {
    m_store = nullptr;
    m_links = {};
}

bool PageProcessor::take(PreparedPage&& page) {
    m_links = std::move(page.links);
    m_pageLinks = int(m_links.fileLinks.size() + m_links.pageLinks.size());
    m_filePass = true;
    m_linkIndex = 0;
    if (page.outcome != FetchResult::Outcome::NotPage ||
        !servesMediaType(page.contentType, page.dispositionFileName, m_extensions))
        return true;
    // A fragment points into the file ("#t=30"); it is the same file, as a page with one is the same page.
    const QString address = urls::withoutFragment(m_cursor.pageAddress());
    if (!urls::isRecordableAddress(address) || !m_store)
        return true;
    const QString foundOn = m_cursor.foundOnAddress(m_cursor.pageKey());
    const auto recorded = m_store->recordFileLink(m_campaignId, address, foundOn);
    if (!recorded) {
        m_storeError = recorded.error();
        return false;
    }
    if (recorded.value())
        showRecorded(address, foundOn);
    return true;
}

void PageProcessor::showRecorded(const QString& address, const QString& foundOn) {
    ++m_filesFound;
    emit fileRecorded(urls::displayName(address), address, foundOn);
}

PageProcessor::Slice PageProcessor::processLinks() {
    const Slice slice = m_filePass ? recordFileLinks() : queuePageLinks();
    if (slice == Slice::PageDone) {
        ++m_pagesDone;
        m_links = {};
    }
    return slice;
}

// A slice of the first pass: its links recorded in one transaction, then shown. PageDone only for a page
// with no links at all; otherwise a turn between the passes lets a Stop cut the page short.
PageProcessor::Slice PageProcessor::recordFileLinks() {
    const QStringList& files = m_links.fileLinks;
    if (m_linkIndex < files.size() && m_store && !m_interrupted) {
        const QString foundOn = m_cursor.pageAddress();
        const QStringList slice = files.mid(m_linkIndex, kLinksPerSlice);
        const auto recorded =
            m_store->recordFileLinks(m_campaignId, slice, foundOn, QDeadlineTimer(kSliceMs));
        if (!recorded) {
            m_storeError = recorded.error();
            return Slice::StoreFailed;
        }
        const QList<bool>& inserted = recorded.value();
        // Every row committed is shown, even when a handler stops the crawl on the way: rows shown are rows
        // stored. Only a shutdown cuts this short.
        for (qsizetype i = 0; i < inserted.size() && !m_interrupted; ++i) {
            if (inserted.at(i))
                showRecorded(slice.at(i), foundOn);
        }
        m_linkIndex += inserted.size();
    }
    if (m_linkIndex < files.size())
        return Slice::More; // (interrupted: the crawl is gone and asks no more)
    m_filePass = false;
    m_linkIndex = 0;
    return files.isEmpty() && m_links.pageLinks.isEmpty() ? Slice::PageDone : Slice::More;
}

// A slice of the second pass.
PageProcessor::Slice PageProcessor::queuePageLinks() {
    const QStringList& pages = m_links.pageLinks;
    const QDeadlineTimer budget(kSliceMs);
    if (m_interrupted)
        return Slice::More;
    // Queueing costs a fraction of recording: more links a slice, within the same time.
    for (int count = 0; m_linkIndex < pages.size() && count < kLinksPerSlice * 4 && !budget.hasExpired();
         ++count)
        m_cursor.addPage(pages.at(m_linkIndex++), m_cursor.pageKey());
    emit pagesQueued();
    return m_linkIndex >= pages.size() ? Slice::PageDone : Slice::More;
}

} // namespace vorlane::crawl
