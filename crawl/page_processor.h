#pragma once
// The page in hand, processed in slices so that a page with tens of thousands of links leaves the window
// responsive: the first pass records its media links through the campaign store, the second queues the
// pages it links to. A fetched file of the search's media type is recorded when the page is taken.

#include "crawl/link_extractor.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace vorlane::store {
class CampaignStore;
}

namespace vorlane::crawl {

class CrawlCursor;
struct FetchResult;

class PageProcessor : public QObject {
    Q_OBJECT
public:
    explicit PageProcessor(CrawlCursor& cursor, QObject* parent = nullptr);

    // A new crawl, recording into `store` (kept until clear()) under `campaignId` the files whose names end
    // in one of `extensions`.
    void start(store::CampaignStore& store, int campaignId, const QStringList& extensions);
    void clear(); // no page and no store: nothing is recorded until the next start()
    // From a handler of fileRecorded the crawl was stopped or shut down: not one more link until the next
    // start().
    void interrupt() { m_interrupted = true; }

    // Takes the cursor's page as fetched.
    void take(const FetchResult& result);
    // One slice of the passes. True when the page is finished; its links are then let go.
    bool processLinks();
    int linksOnPage() const { return m_pageLinks; } // of the page taken last
    int pagesDone() const { return m_pagesDone; }
    int filesFound() const { return m_filesFound; }

signals:
    void fileRecorded(const QString& fileName, const QString& address, const QString& foundOn);
    void pagesQueued(); // after each slice of the second pass

private:
    bool recordFileLinks();
    bool queuePageLinks();
    bool recordFile(const QString& address, const QString& foundOn);
    const QString& resolvedAt(qsizetype index);
    void forgetPage();

    CrawlCursor& m_cursor;
    store::CampaignStore* m_store = nullptr;
    int m_campaignId = 0;
    QStringList m_extensions;
    int m_pagesDone = 0;
    int m_filesFound = 0;
    bool m_interrupted = false;

    ParsedPage m_parsed;
    int m_pageLinks = 0;
    QUrl m_base;
    QList<QString> m_resolved; // per link, filled on first use
    bool m_filePass = true;
    int m_linkIndex = 0;
};

} // namespace vorlane::crawl
