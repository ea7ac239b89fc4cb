#include "schema.h"

namespace vorlane::store {

static QString downloadsTable() {
    // An address is kept exactly as found: a download fetches what the link says, letter case included.
    return QStringLiteral(
        "CREATE TABLE DOWNLOADS (ID INTEGER PRIMARY KEY AUTOINCREMENT, CAMPAIGNID INTEGER, "
        "URL TEXT NOT NULL, TARGET TEXT NOT NULL DEFAULT '', STATE TEXT NOT NULL DEFAULT 'queued', "
        "TOTAL INTEGER NOT NULL DEFAULT -1, RECEIVED INTEGER NOT NULL DEFAULT 0, "
        "ERROR TEXT NOT NULL DEFAULT '', ADDED TEXT NOT NULL DEFAULT '', FINISHED TEXT)");
}

namespace {

// Version 4: one row per page a search requested or passed over. ENTRYID only grows, so it orders a
// campaign's entries and tells the oldest; a deleted campaign takes its log along.
QStringList crawlLogStatements() {
    return {
        QStringLiteral("CREATE TABLE CRAWLLOG (ENTRYID INTEGER PRIMARY KEY, CAMPAIGNID INTEGER NOT NULL, "
                       "ADDRESS TEXT NOT NULL, LEVEL TEXT NOT NULL DEFAULT '', "
                       "REASON TEXT NOT NULL DEFAULT '', STATUS INTEGER NOT NULL DEFAULT 0, "
                       "BYTES INTEGER NOT NULL DEFAULT 0, LINKS INTEGER NOT NULL DEFAULT 0, "
                       "FILES INTEGER NOT NULL DEFAULT 0, MS INTEGER NOT NULL DEFAULT 0, "
                       "DETAIL TEXT NOT NULL DEFAULT '')"),
        QStringLiteral("CREATE INDEX CRAWLLOG_CAMPAIGN ON CRAWLLOG (CAMPAIGNID, ENTRYID)"),
        QStringLiteral("CREATE TRIGGER CRAWLLOG_CAMPAIGN_DELETED AFTER DELETE ON CAMPAIGNS BEGIN "
                       "DELETE FROM CRAWLLOG WHERE CAMPAIGNID = OLD.CAMPAIGNID; END"),
    };
}

// Every text column compares without letter case, as users expect "Audio" and "audio", or two links
// differing only in case, to be the same thing.
QStringList searchTablesStatements() {
    return {
        QStringLiteral("CREATE TABLE CAMPAIGNTYPES (CAMPTYPEID INTEGER PRIMARY KEY, "
                       "CAMPAIGNTYPE TEXT NOT NULL COLLATE NOCASE)"),
        // AUTOINCREMENT: an id is never handed out twice, even after every campaign was deleted, so a
        // history marker can never hide a newer campaign.
        QStringLiteral(
            "CREATE TABLE CAMPAIGNS (CAMPAIGNID INTEGER PRIMARY KEY AUTOINCREMENT, "
            "CAMPTYPEID INTEGER NOT NULL, CAMPAIGNSOURCE TEXT NOT NULL DEFAULT '' COLLATE NOCASE)"),
        QStringLiteral(
            "CREATE TABLE FILELINKS (CAMPAIGNID INTEGER NOT NULL, URL TEXT NOT NULL COLLATE NOCASE, "
            "FOUNDON TEXT COLLATE NOCASE)"),
        // Makes the duplicate test and the insert one indexed step, however many links a campaign holds.
        QStringLiteral(
            "CREATE UNIQUE INDEX FILELINKS_CAMPAIGN_URL ON FILELINKS (CAMPAIGNID, URL COLLATE NOCASE)"),
        QStringLiteral(
            "CREATE TABLE SENGINES (ENGINE TEXT NOT NULL COLLATE NOCASE, STARTPAGE TEXT COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE SEARCHCATEGORIES (CATEGORY TEXT NOT NULL COLLATE NOCASE, "
                       "FILEEXT TEXT COLLATE NOCASE)"),
        // Downloads outlive the campaign they came from only as files: deleting the campaign deletes its
        // rows.
        downloadsTable(),
        QStringLiteral("CREATE TABLE FILTERS (FILTER TEXT NOT NULL COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE \"CONNECTION\" (\"CONNECTION\" TEXT NOT NULL COLLATE NOCASE)"),
        QStringLiteral("CREATE TABLE ClearedHistory (URLLastClearedCampID INTEGER NOT NULL DEFAULT 0, "
                       "WebLastClearedCampID INTEGER NOT NULL DEFAULT 0)"),

        QStringLiteral("INSERT INTO CAMPAIGNTYPES (CAMPTYPEID, CAMPAIGNTYPE) VALUES (1, 'URL Search'), "
                       "(2, 'Web Search')"),
        QStringLiteral("INSERT INTO \"CONNECTION\" (\"CONNECTION\") VALUES ('Unknown')"),
        // The history lists read MAX() of the markers, which is NULL without a row.
        QStringLiteral(
            "INSERT INTO ClearedHistory (URLLastClearedCampID, WebLastClearedCampID) VALUES (0, 0)"),
        QStringLiteral("INSERT INTO SEARCHCATEGORIES (CATEGORY, FILEEXT) VALUES "
                       "('Audio', '.mp3,.ogg,.wav,.flac,.m4a,.wma,.aac,.opus'), "
                       "('Video', '.mp4,.webm,.mkv,.avi,.mov,.wmv,.mpg,.mpeg,.flv,.m4v'), "
                       "('Images', '.jpg,.jpeg,.png,.gif,.webp,.bmp,.svg,.tif,.tiff'), "
                       "('Documents', '.pdf,.doc,.docx,.odt,.rtf,.txt,.epub,.xls,.xlsx,.ppt,.pptx'), "
                       "('Archives', '.zip,.7z,.rar,.tar,.gz,.bz2,.xz,.tgz')"),
        QStringLiteral("INSERT INTO SENGINES (ENGINE, STARTPAGE) VALUES "
                       "('DuckDuckGo', 'https://html.duckduckgo.com/html/?q=<!KW!>'), "
                       "('Bing', 'https://www.bing.com/search?q=<!KW!>'), "
                       "('Mojeek', 'https://www.mojeek.com/search?q=<!KW!>'), "
                       "('Wikimedia Commons', 'https://commons.wikimedia.org/w/index.php?search=<!KW!>')"),
    };
}

} // namespace

QStringList schemaCreateStatements() {
    return searchTablesStatements() + crawlLogStatements();
}

QStringList schemaUpgradeStatements(int fromVersion) {
    switch (fromVersion) {
    case 1:
        return {QStringLiteral("ALTER TABLE FILELINKS ADD COLUMN FOUNDON TEXT COLLATE NOCASE")};
    case 2:
        return {downloadsTable()};
    case 3:
        return crawlLogStatements();
    default:
        return {};
    }
}

} // namespace vorlane::store
