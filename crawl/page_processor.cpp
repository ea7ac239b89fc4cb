#include "crawl/page_processor.h"

#include "crawl/crawl_cursor.h"
#include "crawl/fetcher.h"
#include "crawl/link_rules.h"
#include "crawl/served_media.h"
#include "store/campaign_store.h"
#include "urls/display_name.h"
#include "urls/resolve.h"
#include "urls/scheme_rules.h"

namespace vorlane::crawl {

namespace {

// Small enough that a huge page leaves the event loop turning, large enough that ordinary pages take one
// turn.
constexpr int kLinksPerTurn = 256;

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
}

void PageProcessor::clear() {
    m_store = nullptr;
    forgetPage();
}

void PageProcessor::take(const FetchResult& result) {
    forgetPage();
    m_filePass = true;
    m_linkIndex = 0;
    m_pageLinks = 0;
    if (result.outcome == FetchResult::Outcome::Page) {
        m_parsed = extractLinks(result.body, result.contentType);
        m_pageLinks = int(m_parsed.links.size());
        m_base = result.finalUrl;
        if (!m_parsed.baseHref.isEmpty()) {
            const QUrl declared(urls::resolveLink(m_parsed.baseHref, result.finalUrl));
            if (declared.isValid() && !declared.isRelative())
                m_base = declared;
        }
        m_resolved.resize(m_parsed.links.size());
    } else if (result.outcome == FetchResult::Outcome::NotPage &&
               servesMediaType(result.contentType, result.dispositionFileName, m_extensions)) {
        recordFile(m_cursor.pageAddress(), m_cursor.foundOnAddress(m_cursor.pageKey()));
    }
}

bool PageProcessor::recordFile(const QString& link, const QString& foundOn) {
    // A fragment points into the file ("#t=30"); it is the same file, as a page with one is the same page.
    const QString address = urls::withoutFragment(link);
    if (!urls::isRecordableAddress(address))
        return true;
    if (!m_store)
        return false;
    const auto recorded = m_store->recordFileLink(m_campaignId, address, foundOn);
    if (!recorded)
        return false;
    if (recorded.value()) {
        ++m_filesFound;
        emit fileRecorded(urls::displayName(address), address, foundOn);
    }
    return true;
}

const QString& PageProcessor::resolvedAt(qsizetype index) {
    QString& url = m_resolved[index];
    if (url.isNull())
        url = urls::resolveLink(m_parsed.links.at(index).href, m_base);
    return url;
}

bool PageProcessor::processLinks() {
    const bool finished = m_filePass ? recordFileLinks() : queuePageLinks();
    if (finished) {
        ++m_pagesDone;
        forgetPage();
    }
    return finished;
}

// A slice of the first pass. True when the page is finished: it has no links at all.
bool PageProcessor::recordFileLinks() {
    const QList<ExtractedLink>& links = m_parsed.links;
    for (int budget = kLinksPerTurn; m_linkIndex < links.size() && budget > 0; ++m_linkIndex, --budget) {
        if (m_interrupted)
            return false;
        const QString& url = resolvedAt(m_linkIndex);
        if (isMediaLink(url, m_extensions) && !recordFile(url, m_cursor.pageAddress())) {
            // The store failed: the rest of this pass is abandoned, the page-link pass still runs.
            m_linkIndex = int(links.size());
            break;
        }
    }
    if (m_linkIndex < links.size())
        return false;
    m_filePass = false;
    m_linkIndex = 0;
    return links.isEmpty(); // a turn between the passes lets a Stop cut the page short
}

// A slice of the second pass. True when the page is finished.
bool PageProcessor::queuePageLinks() {
    const QList<ExtractedLink>& links = m_parsed.links;
    for (int budget = kLinksPerTurn; m_linkIndex < links.size() && budget > 0; ++m_linkIndex, --budget) {
        if (m_interrupted)
            return false;
        if (links.at(m_linkIndex).source != LinkSource::Anchor)
            continue;
        const QString& url = resolvedAt(m_linkIndex);
        if (isMediaLink(url, m_extensions))
            continue;
        const QString page = urls::normalisePageAddress(url);
        if (!page.isEmpty())
            m_cursor.addPage(page, m_cursor.pageKey());
    }
    emit pagesQueued();
    return m_linkIndex >= links.size();
}

void PageProcessor::forgetPage() {
    m_parsed = {};
    m_resolved.clear();
}

} // namespace vorlane::crawl
