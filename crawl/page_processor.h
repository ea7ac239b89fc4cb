#pragma once
// The page in hand, its links already extracted, processed in slices so that a page with tens of thousands
// of links leaves the event loop turning: the first pass records its media links through the campaign store,
// one transaction a slice, and shows them once committed; the second queues the pages it links to. A fetched
// file of the search's media type is recorded when the page is taken. A write the store refuses ends the
// page with the store's error.

#include "crawl/page_extraction.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace vorlane::store {
class CampaignStore;
}

namespace vorlane::crawl {

class CrawlCursor;

class PageProcessor : public QObject {
    Q_OBJECT
public:
    enum class Slice { More, PageDone, StoreFailed };

    explicit PageProcessor(CrawlCursor& cursor, QObject* parent = nullptr);

    // A new crawl, recording into `store` (kept until clear()) under `campaignId` the files whose names end
    // in one of `extensions`.
    void start(store::CampaignStore& store, int campaignId, const QStringList& extensions);
    void clear(); // no page and no store: nothing is recorded until the next start()
    // The crawl was shut down from a handler of fileRecorded: not one more row until the next start().
    void interrupt() { m_interrupted = true; }

    // Takes the cursor's page; false when recording the fetched file failed (see storeError()).
    bool take(PreparedPage&& page);
    // One slice of the passes; at PageDone the page's links are let go.
    Slice processLinks();
    int linksOnPage() const { return m_pageLinks; } // of the page taken last
    int pagesDone() const { return m_pagesDone; }
    int filesFound() const { return m_filesFound; }
    const QString& storeError() const { return m_storeError; }

signals:
    void fileRecorded(const QString& fileName, const QString& address, const QString& foundOn);
    void pagesQueued(); // after each slice of the second pass

private:
    Slice recordFileLinks();
    Slice queuePageLinks();
    void showRecorded(const QString& address, const QString& foundOn);

    CrawlCursor& m_cursor;
    store::CampaignStore* m_store = nullptr;
    int m_campaignId = 0;
    QStringList m_extensions;
    int m_pagesDone = 0;
    int m_filesFound = 0;
    bool m_interrupted = false;
    QString m_storeError;

    ExtractedLinks m_links;
    int m_pageLinks = 0;
    bool m_filePass = true;
    qsizetype m_linkIndex = 0;
};

} // namespace vorlane::crawl
