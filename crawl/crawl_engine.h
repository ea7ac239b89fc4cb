#pragma once
// The crawl engine: one class, two instances (URL search and web search). An event-driven state machine on
// the calling thread's event loop; it never spins a nested loop or sleeps. Pages are fetched ahead up to the
// connection's concurrency but processed strictly in queue order, so rows, database rows, the queue and the
// status texts come out exactly as in a one-page-at-a-time crawl.

#include "crawl/crawl_settings.h"
#include "crawl/fetch_failure.h"
#include "store/campaign_type.h"
#include "store/crawl_log_store.h"
#include "store/db_result.h"
#include <QObject>
#include <QSqlDatabase>
#include <QStringList>
#include <memory>

namespace vorlane::crawl {

struct CrawlSegment;

class CrawlEngine : public QObject {
    Q_OBJECT
public:
    CrawlEngine(store::CampaignType kind, QSqlDatabase db, QObject* parent = nullptr);
    ~CrawlEngine() override;

    store::CampaignType kind() const;
    // The filter words apply from the next page on, even to a running crawl; the time-out, the concurrency
    // and the politeness options from the next start.
    void setSettings(const CrawlSettings& settings);
    const CrawlSettings& settings() const;

    // URL search: creates the campaign, then crawls `depth` levels from `startAddress` (level 1 is the
    // start page). `fileExt` is the media type's FILEEXT text. A campaign that cannot be created means no
    // crawl: the database's error comes back and nothing is emitted.
    store::DbStatus startUrlCrawl(const QString& startAddress, const QString& fileExt, int depth);
    // Web search: the keyword (percent-encoded) in place of every "<!KW!>" of one engine's link, or of
    // every engine's for "*All*"; each engine's results crawled before the next engine's.
    store::DbStatus startWebCrawl(const QString& keyword, const QString& fileExt, const QString& engine);

    bool isRunning() const;
    bool isPaused() const;
    int campaignId() const;     // the running (or last) campaign, 0 before the first
    int stopCampaignId() const; // the campaign a Stop was last asked for
    // The database's error when a failed write stopped the last search (the first one fails it: the
    // search ends "Stopped." and records nothing more); empty otherwise.
    const QString& storeError() const;

public slots:
    void pause();    // holds processing and new transfers
    void resume();   // continues at once
    void stop();     // aborts every transfer; the crawl ends "Stopped." at its next step
    void abortAll(); // shutdown: ends at once, no further signals

signals:
    void started(int campaignId);
    void messageChanged(const QString& text); // status panel 1: "Wait...", "Crawling: "+address, "Done."...
    void levelChanged(const QString& text);   // status panel 2: "level n" or "Engine: name"
    void fileRecorded(const QString& fileName, const QString& address, const QString& foundOn);
    void progress(int pagesDone, int pagesQueued, int filesFound);
    // One per page the crawl requested (once its links are through) or passed over.
    void pageLogged(const store::CrawlLogEntry& entry);
    // Something the user should know that needs no answer, said once a search: the page queue reached its
    // bound.
    void notice(const QString& text);
    void finished(bool stopped);

private:
    store::DbStatus start(const QList<CrawlSegment>& segments, const QString& source, const QString& fileExt);
    void scheduleStep();
    void step();
    void passOver(FetchFailure reason);
    bool takePage();
    void prepareAhead();
    void failOnStore();
    void fillPipeline();
    void releaseHeld();
    void reportQueueFilled();
    void finish(bool stopped);

    struct State;
    std::unique_ptr<State> d;
};

} // namespace vorlane::crawl
