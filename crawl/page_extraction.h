#pragma once
// A fetched page turned into what the crawl does with it, as a pure function of immutable input, so that it
// runs on a worker thread: the page is decoded and parsed, its links resolved against its base, and sorted
// into the files to record and the pages to queue, each list in document order and without repeats.

#include "crawl/fetcher.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace vorlane::crawl {

struct PageInput {
    QByteArray body;
    QByteArray contentType;
    QUrl finalUrl;          // after redirects: the base unless the page declares another
    QStringList extensions; // the search's media extensions
};

struct ExtractedLinks {
    QStringList fileLinks; // recordable media addresses, fragment cut
    QStringList pageLinks; // page addresses as queued (normalised); anchors only, never a media link
};

ExtractedLinks extractPage(const PageInput& input);

// A page's turn as the crawl takes it: what the transfer said, and for a page its links.
struct PreparedPage {
    FetchResult::Outcome outcome = FetchResult::Outcome::Failed;
    QByteArray contentType;
    QString dispositionFileName;
    ExtractedLinks links; // a Page's only
    // For the crawl log.
    FetchFailure failure = FetchFailure::Other;
    int httpStatus = 0;
    qint64 bytes = 0; // of the body read
    int elapsedMs = 0;
    QString failureDetail;
};

} // namespace vorlane::crawl
