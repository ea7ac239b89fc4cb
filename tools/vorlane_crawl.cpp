// vorlane-crawl: a URL or web search from the command line, over the same session as the program. The
// stored crawl settings (connection type, filter words, politeness) apply; flags override them for one run.
// Recorded file addresses go to standard output, one a line, in the order recorded; progress goes to
// standard error; with --log, the crawl log goes to a file as JSON Lines. SIGINT or SIGTERM stops the crawl
// in order; a second one ends the program at once. With --download DIR every recorded file is downloaded into
// DIR as it is recorded; --download-only LIST downloads the addresses of a file (one a line) without a crawl.
// With a database (--db), downloads that a previous run left unfinished resume first, and an address already
// asked for is not fetched twice. Exit status: 0 the crawl (and every download) is done; 1 it was stopped by
// a signal; 2 bad arguments (an unknown engine among them); 3 the database cannot be used or is in use, or a
// write to it failed during the crawl (which then stops; what was printed is stored); 4 the search cannot
// start, or standard output or the log cannot be written (a closed pipe, a full disk); 5 some download failed
// (each is listed on standard error with its reason).

#include "app/crawl_log_text.h"
#include "app/session.h"
#include "urls/display_name.h"
#include "urls/resolve.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMap>
#include <QSet>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

using namespace vorlane;

namespace {

enum ExitCode {
    Done = 0,
    Stopped = 1,
    BadArguments = 2,
    DatabaseFailure = 3,
    CrawlFailure = 4,
    DownloadFailure = 5
};

struct Options {
    QString dbFile;
    QString types;
    int concurrency = 0; // 0: as the stored connection type says
    int timeoutSeconds = 0;
    // Politeness overrides; unset: as stored.
    std::optional<bool> sameSite;
    std::optional<bool> obeyRobots;
    std::optional<bool> retryAfter;
    std::optional<int> perHost;
    std::optional<int> hostDelayMs;
    std::optional<int> maxQueued;
    QString logFile; // JSON Lines of the crawl log; empty: none
    bool quiet = false;
    bool web = false;
    int depth = 0;
    QString url;
    QString keyword;
    QString engine;
    QString downloadFolder; // empty: nothing is downloaded
    QString downloadList;   // a file of addresses to download instead of a crawl
};

void printError(const QString& text) {
    std::fprintf(stderr, "vorlane-crawl: %s\n", qPrintable(text));
}

bool readInt(const QString& text, int& value, int min, int max) {
    bool ok = false;
    const int parsed = text.toInt(&ok);
    if (!ok || parsed < min || parsed > max)
        return false;
    value = parsed;
    return true;
}

bool readPositiveInt(const QString& text, int& value, int max) {
    return readInt(text, value, 1, max);
}

// "yes"/"no" (also on/off, true/false, 1/0) into `value`; false when the text is none of them.
bool readSwitch(const QString& text, std::optional<bool>& value) {
    const QString word = text.trimmed().toLower();
    if (word == u"yes" || word == u"on" || word == u"true" || word == u"1")
        value = true;
    else if (word == u"no" || word == u"off" || word == u"false" || word == u"0")
        value = false;
    else
        return false;
    return true;
}

// The signal handler's only way out: a byte written here wakes the event loop.
int g_stopPipe[2] = {-1, -1};

// Signal context: async-signal-safe calls only. The first SIGINT or SIGTERM asks for an orderly stop;
// handing both signals back to their default action lets a second one end the process at once.
extern "C" void onStopSignal(int signal) {
    const int savedErrno = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = write(g_stopPipe[1], &byte, 1);
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    sigaction(SIGINT, &defaultAction, nullptr);
    sigaction(SIGTERM, &defaultAction, nullptr);
    errno = savedErrno;
}

bool catchStopSignals() {
    if (pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Either signal waits while the handler runs, and then finds the default action in place.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

// Engine names compare as the store compares them (SQLite's NOCASE): only ASCII letters fold.
bool sameEngineName(QStringView a, QStringView b) {
    const auto fold = [](QChar c) {
        return c >= u'A' && c <= u'Z' ? char16_t(c.unicode() + (u'a' - u'A')) : c.unicode();
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&fold](QChar x, QChar y) { return fold(x) == fold(y); });
}

// nullopt after printing what is wrong.
std::optional<Options> parseArguments(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Finds media files by crawling from a start address (URL "
                                                    "search) or from search engines' results (web search)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("db"), QStringLiteral("Database file (default: a new temporary one)."),
         QStringLiteral("FILE")},
        {QStringLiteral("types"), QStringLiteral("Media extensions, e.g. .mp3,.ogg."),
         QStringLiteral("EXTS")},
        {QStringLiteral("depth"), QStringLiteral("URL search: levels to crawl (the start page is level 1)."),
         QStringLiteral("N")},
        {QStringLiteral("web"), QStringLiteral("Web search for KEYWORD."), QStringLiteral("KEYWORD")},
        {QStringLiteral("engine"), QStringLiteral("Web search: the engine to use (default *All*)."),
         QStringLiteral("NAME"), app::Session::allEnginesChoice()},
        {QStringLiteral("concurrency"), QStringLiteral("Pages fetched at once (1-64)."), QStringLiteral("K")},
        {QStringLiteral("timeout"), QStringLiteral("Transfer time-out in seconds."), QStringLiteral("S")},
        {QStringLiteral("same-site"),
         QStringLiteral("URL search: stay on the start address's site (yes/no)."), QStringLiteral("YES|NO")},
        {QStringLiteral("robots"), QStringLiteral("Obey robots.txt (yes/no)."), QStringLiteral("YES|NO")},
        {QStringLiteral("retry-after"),
         QStringLiteral("Wait as a server's Retry-After asks, then retry once (yes/no)."),
         QStringLiteral("YES|NO")},
        {QStringLiteral("per-host"), QStringLiteral("Requests at once per host (0: no limit)."),
         QStringLiteral("N")},
        {QStringLiteral("host-delay"), QStringLiteral("Milliseconds between requests to one host."),
         QStringLiteral("MS")},
        {QStringLiteral("max-queue"), QStringLiteral("Pages queued at most (default 2000000)."),
         QStringLiteral("N")},
        {QStringLiteral("log"),
         QStringLiteral("Write the crawl log to FILE, one JSON object a line: every page requested or "
                        "passed over, with its outcome."),
         QStringLiteral("FILE")},
        {QStringLiteral("download"), QStringLiteral("Download every recorded file into DIR."),
         QStringLiteral("DIR")},
        {QStringLiteral("download-only"),
         QStringLiteral("Download the addresses in LIST (one a line) instead of crawling."),
         QStringLiteral("LIST")},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, QStringLiteral("No progress on standard error.")},
    });
    parser.addPositionalArgument(QStringLiteral("URL"), QStringLiteral("URL search: the start address."));
    if (!parser.parse(app.arguments())) {
        printError(parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    Options options;
    options.dbFile = parser.value(QStringLiteral("db"));
    options.types = parser.value(QStringLiteral("types")).trimmed();
    options.quiet = parser.isSet(QStringLiteral("quiet"));
    options.logFile = parser.value(QStringLiteral("log"));
    options.web = parser.isSet(QStringLiteral("web"));
    options.downloadFolder = parser.value(QStringLiteral("download"));
    options.downloadList = parser.value(QStringLiteral("download-only"));
    const QStringList positional = parser.positionalArguments();
    const bool downloadOnly = parser.isSet(QStringLiteral("download-only"));
    if (options.types.isEmpty() && !downloadOnly) {
        printError(QStringLiteral("--types is required, e.g. --types .mp3,.ogg"));
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("concurrency")) &&
        !readPositiveInt(parser.value(QStringLiteral("concurrency")), options.concurrency, 64)) {
        printError(QStringLiteral("--concurrency takes a whole number from 1 to 64"));
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("timeout")) &&
        !readPositiveInt(parser.value(QStringLiteral("timeout")), options.timeoutSeconds, 3600)) {
        printError(QStringLiteral("--timeout takes a whole number of seconds from 1 to 3600"));
        return std::nullopt;
    }
    const struct {
        const char* name;
        std::optional<bool>& value;
    } switches[] = {
        {"same-site", options.sameSite}, {"robots", options.obeyRobots}, {"retry-after", options.retryAfter}};
    for (const auto& flag : switches) {
        const QString name = QString::fromLatin1(flag.name);
        if (parser.isSet(name) && !readSwitch(parser.value(name), flag.value)) {
            printError(QStringLiteral("--%1 takes yes or no").arg(name));
            return std::nullopt;
        }
    }
    int number = 0;
    if (parser.isSet(QStringLiteral("per-host"))) {
        if (!readInt(parser.value(QStringLiteral("per-host")), number, 0, store::kMaxRequestsPerHost)) {
            printError(QStringLiteral("--per-host takes a whole number from 0 to %1")
                           .arg(store::kMaxRequestsPerHost));
            return std::nullopt;
        }
        options.perHost = number;
    }
    if (parser.isSet(QStringLiteral("host-delay"))) {
        if (!readInt(parser.value(QStringLiteral("host-delay")), number, 0, store::kMaxHostDelayMs)) {
            printError(QStringLiteral("--host-delay takes a whole number of milliseconds from 0 to %1")
                           .arg(store::kMaxHostDelayMs));
            return std::nullopt;
        }
        options.hostDelayMs = number;
    }
    if (parser.isSet(QStringLiteral("max-queue"))) {
        if (!readPositiveInt(parser.value(QStringLiteral("max-queue")), number,
                             store::kMaxQueuedPagesLimit)) {
            printError(QStringLiteral("--max-queue takes a whole number from 1 to %1")
                           .arg(store::kMaxQueuedPagesLimit));
            return std::nullopt;
        }
        options.maxQueued = number;
    }
    if (downloadOnly) {
        if (options.downloadList.isEmpty() || options.web || parser.isSet(QStringLiteral("depth")) ||
            !positional.isEmpty()) {
            printError(
                QStringLiteral("--download-only LIST takes no search: give the list and --download DIR"));
            return std::nullopt;
        }
        if (options.downloadFolder.isEmpty())
            options.downloadFolder = QStringLiteral(".");
        return options;
    }

    if (options.web == parser.isSet(QStringLiteral("depth"))) {
        printError(QStringLiteral("give either --depth N URL (URL search) or --web KEYWORD (web search)"));
        return std::nullopt;
    }
    if (options.web) {
        options.keyword = parser.value(QStringLiteral("web")).trimmed();
        options.engine = parser.value(QStringLiteral("engine")).trimmed();
        if (options.keyword.isEmpty()) {
            printError(QStringLiteral("--web needs a keyword"));
            return std::nullopt;
        }
        if (!positional.isEmpty()) {
            printError(QStringLiteral("a web search takes no URL"));
            return std::nullopt;
        }
        return options;
    }
    bool ok = false;
    options.depth = parser.value(QStringLiteral("depth")).toInt(&ok);
    if (!ok || options.depth < 0) {
        printError(QStringLiteral("--depth takes a whole number, 0 or more"));
        return std::nullopt;
    }
    if (positional.size() != 1) {
        printError(QStringLiteral("a URL search takes exactly one start address"));
        return std::nullopt;
    }
    options.url = urls::cleanAddressText(positional.first().trimmed());
    if (!options.url.contains(QLatin1String("://"))) {
        printError(QStringLiteral("the start address must be absolute, e.g. http://example.org/"));
        return std::nullopt;
    }
    return options;
}

// The lines of the address list; nullopt after printing why it cannot be read.
std::optional<QStringList> readAddressList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        printError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    QStringList addresses;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (!line.isEmpty() && !line.startsWith(u'#'))
            addresses.append(line);
    }
    return addresses;
}

// Downloads what the run asks for and tells how they went: progress on standard error, every failure
// listed at the end.
class DownloadReport {
public:
    DownloadReport(app::Downloads& downloads, bool quiet) : m_downloads(downloads), m_quiet(quiet) {
        QObject::connect(&downloads, &app::Downloads::stateChanged, &downloads,
                         [this](qint64 id, store::DownloadState state, const QString& error) {
                             changed(id, state, error);
                         });
        QObject::connect(&downloads, &app::Downloads::progressed, &downloads,
                         [this](qint64 id, qint64 total, qint64 received, int speed) {
                             m_received[id] = {total, received, speed};
                             showProgress();
                         });
        QObject::connect(&downloads, &app::Downloads::storeFailed, &downloads,
                         [](const QString& error) { printError(QStringLiteral("database: %1").arg(error)); });
    }

    // Resumes what an earlier run left, then asks for each address not asked for before (a failed one is
    // tried again).
    store::DbStatus download(const QStringList& addresses, int campaignId, const QString& folder) {
        auto known = m_downloads.rows();
        if (!known)
            return store::DbStatus::failure(known.error());
        QHash<QString, store::DownloadRow> byUrl;
        for (const store::DownloadRow& row : known.value())
            byUrl.insert(row.url, row);
        QStringList fresh;
        QSet<QString> asked;
        for (const QString& address : addresses) {
            const auto it = byUrl.constFind(address);
            if (it == byUrl.cend()) {
                if (!asked.contains(address))
                    fresh.append(address);
                asked.insert(address);
            } else if (it->state == store::DownloadState::Failed ||
                       it->state == store::DownloadState::Cancelled)
                m_downloads.retry(it->id);
        }
        const auto added = m_downloads.download(fresh, campaignId, folder);
        return added ? store::dbOk() : store::DbStatus::failure(added.error());
    }

    bool anyFailed() const { return !m_failures.isEmpty(); }
    void listFailures() const {
        for (const QString& failure : m_failures)
            printError(QStringLiteral("download failed: %1").arg(failure));
    }

private:
    void changed(qint64 id, store::DownloadState state, const QString& error) {
        m_received.remove(id);
        if (state == store::DownloadState::Failed) {
            const auto row = m_downloads.rows();
            QString url = QString::number(id);
            if (row)
                for (const store::DownloadRow& each : row.value())
                    if (each.id == id)
                        url = urls::shownAddress(each.url);
            m_failures.insert(id, QStringLiteral("%1: %2").arg(url, error));
        } else {
            m_failures.remove(id);
        }
        if (!m_quiet && store::isFinished(state))
            std::fprintf(stderr, "download %lld %s%s\n", qlonglong(id),
                         qPrintable(store::downloadStateText(state)),
                         error.isEmpty() ? "" : qPrintable(QStringLiteral(": ") + urls::shownText(error)));
    }

    void showProgress() {
        if (m_quiet || (m_shown.isValid() && m_shown.elapsed() < 2000))
            return;
        m_shown.start();
        qint64 received = 0;
        qint64 speed = 0;
        for (const Progress& progress : std::as_const(m_received)) {
            received += progress.received;
            speed += progress.speed;
        }
        std::fprintf(stderr, "downloads: %d unfinished, %lld KB in the running ones, %lld KB/s\n",
                     m_downloads.unfinishedCount(), qlonglong(received / 1024), qlonglong(speed / 1024));
    }

    struct Progress {
        qint64 total = -1;
        qint64 received = 0;
        int speed = 0;
    };
    app::Downloads& m_downloads;
    bool m_quiet;
    QHash<qint64, Progress> m_received;
    QMap<qint64, QString> m_failures;
    QElapsedTimer m_shown;
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorlane-crawl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORLANE_VERSION));

    auto options = parseArguments(app);
    if (!options)
        return BadArguments;
    // A write to a closed pipe then fails with EPIPE instead of killing the process, which can say so.
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a write past the file size limit fails with EFBIG, and the database says so.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!catchStopSignals()) {
        printError(
            QStringLiteral("cannot catch signals: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return CrawlFailure;
    }

    // The default database is a fresh one, seeded like the program's own, that goes away at the end.
    QTemporaryDir scratch;
    QString directory = scratch.path();
    QString fileName = QString::fromLatin1(store::kDatabaseFileName);
    if (!options->dbFile.isEmpty()) {
        const QFileInfo file(options->dbFile);
        directory = file.absolutePath();
        fileName = file.fileName();
    } else if (!scratch.isValid()) {
        printError(QStringLiteral("cannot create a temporary folder: %1").arg(scratch.errorString()));
        return DatabaseFailure;
    }
    store::StartupResult opened = store::prepareDatabase(directory, fileName);
    if (opened.outcome == store::StartupOutcome::AlreadyRunning) {
        printError(
            QStringLiteral("the database %1 is in use by another program").arg(directory + u'/' + fileName));
        return DatabaseFailure;
    }
    if (opened.outcome != store::StartupOutcome::Ready) {
        printError(
            QStringLiteral("cannot open the database %1: %2").arg(directory + u'/' + fileName, opened.error));
        return DatabaseFailure;
    }
    if (!opened.notice.isEmpty() && !options->quiet)
        printError(opened.notice);

    app::Session session(opened.database);
    if (const store::DbStatus loaded = session.loadSettings(); !loaded) {
        printError(QStringLiteral("cannot read the settings: %1").arg(loaded.error()));
        return DatabaseFailure;
    }
    // An engine the database does not know would search nothing and still end "Done.".
    if (options->web && sameEngineName(options->engine, app::Session::allEnginesChoice())) {
        options->engine = app::Session::allEnginesChoice();
    } else if (options->web) {
        const auto engines = session.searchEngineChoices();
        if (!engines) {
            printError(QStringLiteral("cannot read the search engines: %1").arg(engines.error()));
            return DatabaseFailure;
        }
        const auto known = std::find_if(engines->begin(), engines->end(), [&options](const QString& name) {
            return sameEngineName(name, options->engine);
        });
        if (known == engines->end()) {
            printError(QStringLiteral("unknown search engine \"%1\"; choose one of: %2")
                           .arg(options->engine, (*engines + QStringList{app::Session::allEnginesChoice()})
                                                     .join(QStringLiteral(", "))));
            return BadArguments;
        }
    }
    crawl::CrawlSettings settings = session.crawlSettings();
    if (options->concurrency > 0)
        settings.concurrency = options->concurrency;
    if (options->timeoutSeconds > 0)
        settings.timeoutSeconds = options->timeoutSeconds;
    store::CrawlPolicy& policy = settings.policy;
    policy.sameSiteOnly = options->sameSite.value_or(policy.sameSiteOnly);
    policy.obeyRobots = options->obeyRobots.value_or(policy.obeyRobots);
    policy.honourRetryAfter = options->retryAfter.value_or(policy.honourRetryAfter);
    policy.maxPerHost = options->perHost.value_or(policy.maxPerHost);
    policy.delayMsPerHost = options->hostDelayMs.value_or(policy.delayMsPerHost);
    policy.maxQueuedPages = options->maxQueued.value_or(policy.maxQueuedPages);
    session.useCrawlSettings(settings);

    const store::CampaignType type =
        options->web ? store::CampaignType::WebSearch : store::CampaignType::UrlSearch;
    crawl::CrawlEngine& engine = session.engine(type);
    int exitCode = Done;
    bool outputFailed = false;
    bool crawlOver = !options->downloadList.isEmpty();
    const bool downloading = !options->downloadFolder.isEmpty();
    if (downloading) {
        app::DownloadSettings downloadSettings = session.downloads().settings();
        downloadSettings.folder = options->downloadFolder;
        downloadSettings.folderPerCampaign = false;
        session.useDownloadSettings(downloadSettings);
    }
    DownloadReport report(session.downloads(), options->quiet);
    // The run ends when the crawl is over and no download is queued or running.
    const auto quitWhenIdle = [&crawlOver, &session] {
        if (crawlOver && !session.downloads().isBusy())
            QCoreApplication::quit();
    };
    QObject::connect(&session.downloads(), &app::Downloads::batchFinished, &app, quitWhenIdle);
    // One address a line, whatever the page wrote: a reader of this output must never see two addresses,
    // or an escape sequence, where one was recorded.
    const auto printAddress = [&outputFailed, &session, type](const QString&, const QString& address) {
        if (outputFailed)
            return;
        const QByteArray line = urls::shownAddress(address).toUtf8() + '\n';
        if (std::fwrite(line.constData(), 1, size_t(line.size()), stdout) == size_t(line.size()) &&
            std::fflush(stdout) == 0)
            return;
        // Nobody reads the addresses any more: crawling on would only fill the database.
        outputFailed = true;
        printError(QStringLiteral("cannot write to standard output: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno))));
        session.stop(type);
    };
    QObject::connect(&engine, &crawl::CrawlEngine::fileRecorded, &app, printAddress);
    QFile logFile(options->logFile);
    if (!options->logFile.isEmpty()) {
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            printError(
                QStringLiteral("cannot write the log %1: %2").arg(options->logFile, logFile.errorString()));
            return CrawlFailure;
        }
        const auto writeEntry = [&](int, const store::CrawlLogEntry& entry) {
            if (outputFailed)
                return;
            const QByteArray line =
                QJsonDocument(app::logEntryJson(entry)).toJson(QJsonDocument::Compact) + '\n';
            if (logFile.write(line) == line.size())
                return;
            outputFailed = true;
            printError(
                QStringLiteral("cannot write the log %1: %2").arg(options->logFile, logFile.errorString()));
            session.stop(type);
        };
        QObject::connect(&session, &app::Session::pageLogged, &app, writeEntry);
    }
    // Said even when quiet: the search goes on, but not as asked.
    QObject::connect(&engine, &crawl::CrawlEngine::notice, &app,
                     [](const QString& text) { printError(text); });
    if (downloading)
        QObject::connect(&engine, &crawl::CrawlEngine::fileRecorded, &app,
                         [&report, &engine, &options](const QString&, const QString& address) {
                             if (const store::DbStatus asked =
                                     report.download({address}, engine.campaignId(), options->downloadFolder);
                                 !asked)
                                 printError(
                                     QStringLiteral("cannot record the download: %1").arg(asked.error()));
                         });
    if (!options->quiet) {
        QObject::connect(&engine, &crawl::CrawlEngine::messageChanged, &app, [](const QString& text) {
            std::fprintf(stderr, "%s\n", qPrintable(urls::shownText(text)));
        });
        QObject::connect(&engine, &crawl::CrawlEngine::progress, &app, [](int pages, int queued, int files) {
            if (pages % 100 == 0)
                std::fprintf(stderr, "%d pages crawled, %d queued, %d files\n", pages, queued, files);
        });
    }
    QObject::connect(
        &engine, &crawl::CrawlEngine::finished, &app,
        [&exitCode, &outputFailed, &engine, &crawlOver, &quitWhenIdle](bool stopped) {
            exitCode = outputFailed ? CrawlFailure : stopped ? Stopped : Done;
            if (!engine.storeError().isEmpty()) {
                printError(QStringLiteral("cannot record in the database: %1").arg(engine.storeError()));
                exitCode = DatabaseFailure;
            }
            crawlOver = true;
            quitWhenIdle();
        });
    QSocketNotifier stopSignal(g_stopPipe[0], QSocketNotifier::Read);
    const auto stopOnSignal = [&stopSignal, &session, &exitCode, type] {
        stopSignal.setEnabled(false); // a second signal no longer comes this way
        char byte = 0;
        while (read(g_stopPipe[0], &byte, 1) > 0) {
        }
        // Downloads stop where they are and resume at the next run with the same database.
        session.downloads().shutDown();
        if (session.isRunning(type)) {
            session.stop(type); // "Stopped." and the exit status follow from the engine's finish
            return;
        }
        exitCode = Stopped;
        QCoreApplication::quit();
    };
    QObject::connect(&stopSignal, &QSocketNotifier::activated, &app, stopOnSignal);

    if (downloading) {
        if (const store::DbStatus resumed = session.downloads().resumeStored(); !resumed) {
            printError(QStringLiteral("cannot resume the downloads: %1").arg(resumed.error()));
            return DatabaseFailure;
        }
    }
    if (!options->downloadList.isEmpty()) {
        const auto addresses = readAddressList(options->downloadList);
        if (!addresses)
            return BadArguments;
        if (const store::DbStatus asked = report.download(*addresses, 0, options->downloadFolder); !asked) {
            printError(QStringLiteral("cannot record the downloads: %1").arg(asked.error()));
            return DatabaseFailure;
        }
        QTimer::singleShot(0, &app, quitWhenIdle);
    } else {
        const store::DbStatus started =
            options->web ? session.startWebSearch(options->keyword, options->types, options->engine)
                         : session.startUrlSearch(options->url, options->types, options->depth);
        if (!started) {
            printError(QStringLiteral("the search cannot start: %1").arg(started.error()));
            return CrawlFailure;
        }
    }
    app.exec();
    session.shutDown();
    if (logFile.isOpen() && !logFile.flush() && exitCode != CrawlFailure) {
        printError(
            QStringLiteral("cannot write the log %1: %2").arg(options->logFile, logFile.errorString()));
        exitCode = CrawlFailure;
    }
    report.listFailures();
    return exitCode == Done && report.anyFailed() ? DownloadFailure : exitCode;
}
