// vorlane-crawl: a URL or web search from the command line, over the same session as the program. The
// stored crawl settings (connection type, filter words, politeness) apply; flags override them for one run.
// Recorded file addresses go to standard output, one a line, in the order recorded; progress goes to
// standard error; with --log, the crawl log goes to a file as JSON Lines. SIGINT or SIGTERM stops the crawl
// in order; a second one ends the program at once. Exit status: 0 the crawl is done; 1 it was stopped by a
// signal; 2 bad arguments (an unknown engine among them); 3 the database cannot be used or is in use, or a
// write to it failed during the crawl (which then stops; what was printed is stored); 4 the search cannot
// start, or standard output or the log cannot be written (a closed pipe, a full disk).

#include "app/crawl_log_text.h"
#include "app/session.h"
#include "urls/display_name.h"
#include "urls/resolve.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSocketNotifier>
#include <QTemporaryDir>
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

enum ExitCode { Done = 0, Stopped = 1, BadArguments = 2, DatabaseFailure = 3, CrawlFailure = 4 };

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
    const QStringList positional = parser.positionalArguments();

    if (options.types.isEmpty()) {
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
        &engine, &crawl::CrawlEngine::finished, &app, [&exitCode, &outputFailed, &engine](bool stopped) {
            exitCode = outputFailed ? CrawlFailure : stopped ? Stopped : Done;
            if (!engine.storeError().isEmpty()) {
                printError(QStringLiteral("cannot record in the database: %1").arg(engine.storeError()));
                exitCode = DatabaseFailure;
            }
            QCoreApplication::quit();
        });
    QSocketNotifier stopSignal(g_stopPipe[0], QSocketNotifier::Read);
    const auto stopOnSignal = [&stopSignal, &session, &exitCode, type] {
        stopSignal.setEnabled(false); // a second signal no longer comes this way
        char byte = 0;
        while (read(g_stopPipe[0], &byte, 1) > 0) {
        }
        if (session.isRunning(type)) {
            session.stop(type); // "Stopped." and the exit status follow from the engine's finish
            return;
        }
        exitCode = Stopped;
        QCoreApplication::quit();
    };
    QObject::connect(&stopSignal, &QSocketNotifier::activated, &app, stopOnSignal);

    const store::DbStatus started =
        options->web ? session.startWebSearch(options->keyword, options->types, options->engine)
                     : session.startUrlSearch(options->url, options->types, options->depth);
    if (!started) {
        printError(QStringLiteral("the search cannot start: %1").arg(started.error()));
        return CrawlFailure;
    }
    app.exec();
    session.shutDown();
    if (logFile.isOpen() && !logFile.flush() && exitCode != CrawlFailure) {
        printError(
            QStringLiteral("cannot write the log %1: %2").arg(options->logFile, logFile.errorString()));
        exitCode = CrawlFailure;
    }
    return exitCode;
}
