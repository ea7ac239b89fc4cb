#pragma once
// The pages taken from the fetch pipeline ahead of the crawl, their links extracted on worker threads (two
// at most, so the crawl's own thread keeps a core while pages are parsed). A worker gets a copy of the page's
// bytes and addresses and hands back its links through a queued call; it touches nothing else. Each parse
// has a ticket that is never reused: a result whose ticket no page holds any more (reset, dropped) is
// discarded when it comes.

#include "crawl/page_extraction.h"

#include <QHash>
#include <QObject>
#include <QThreadPool>
#include <optional>

namespace vorlane::crawl {

class ExtractionQueue : public QObject {
    Q_OBJECT
public:
    explicit ExtractionQueue(QObject* parent = nullptr);
    ~ExtractionQueue() override; // waits for a parse in progress

    void reset(); // forgets every page; pages not yet begun are never parsed
    // A page's transfer result: a page's links are extracted on a worker, anything else is ready at once.
    void add(int key, FetchResult&& result, const QStringList& extensions);
    bool contains(int key) const { return m_pages.contains(key); }
    qsizetype size() const { return m_pages.size(); }
    void drop(int key) { m_pages.remove(key); }
    // The page, which is then forgotten; nullopt while its links are still being extracted.
    std::optional<PreparedPage> take(int key);

signals:
    void ready(int key);

private:
    void extracted(int key, quint64 ticket, ExtractedLinks&& links);

    struct Entry {
        quint64 ticket = 0; // of the parse under way; 0 once done
        PreparedPage page;
    };
    QThreadPool m_workers;
    QHash<int, Entry> m_pages;
    quint64 m_lastTicket = 0;
};

} // namespace vorlane::crawl
