// The Campaign Management dialog on a real database: the campaign list, loading one campaign's links,
// deleting one and all with their questions, the history markers after Delete All, a list that follows
// campaigns created elsewhere, and exporting a whole campaign.

#include "campaigns/camp_management.h"
#include "campaigns/crawl_log_dialog.h"
#include "search/url_search.h"
#include "store/crawl_log_store.h"
#include "store/download_settings.h"
#include "store/history_store.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/session_fixture.h"
#include "tests/support/table_rows.h"
#include "tests/support/temp_user_options.h"
#include "ui/result_export.h"

#include <QLabel>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

using namespace vorlane;

class TestCampManagement : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionFixture> m_app;
    campaigns::CampManagement* m_dialog = nullptr;
    const QStringList m_labels{"1 - URL Search - http://a.test/", "2 - Web Search - jazz - live",
                               "3 - URL Search - http://b.test/"};

    QComboBox* campaigns() { return control<QComboBox>(m_dialog, "Campaigns"); }
    QPushButton* button(const char* name) { return control<QPushButton>(m_dialog, name); }
    // Three campaigns: 1 with two links, 2 without, 3 with one; then the dialog.
    void openWithCampaigns() {
        store::CampaignStore store(m_app->database.connection());
        QVERIFY(store.createCampaign(store::CampaignType::UrlSearch, "http://a.test/"));
        QVERIFY(store.recordFileLink(1, "http://a.test/x/one.mp3", "http://a.test/"));
        QVERIFY(store.recordFileLink(1, "http://a.test/two.ogg"));
        QVERIFY(store.createCampaign(store::CampaignType::WebSearch, "jazz - live"));
        QVERIFY(store.createCampaign(store::CampaignType::UrlSearch, "http://b.test/"));
        QVERIFY(store.recordFileLink(3, "http://b.test/three.mp3"));
        m_dialog = new campaigns::CampManagement(m_app->session, m_app->messages, m_app->ownerWindow());
    }
private slots:
    void init() { m_app = std::make_unique<SessionFixture>(); }
    void cleanup() { m_app.reset(); }

    // links: address|found on; exportTo: under the test folder, without a suffix: the picked filter's.
    void pickLoadsAndExportsLinks_data() {
        addColumns<int, QStringList, QString>({"id", "links", "exportTo"});
        const QString links = "links";
        addRow("two links, in stored order", 1,
               QStringList{"http://a.test/x/one.mp3|http://a.test/", "http://a.test/two.ogg|"}, links);
        addRow("no links", 2, QStringList{}, links);
        addRow("source with its own dashes, export not writable", 3, QStringList{"http://b.test/three.mp3|"},
               QString("missing/links.csv"));
    }
    void pickLoadsAndExportsLinks() {
        const auto [id, links, exportTo] = fetchRow<int, QStringList, QString>({"id", "links", "exportTo"});
        openWithCampaigns();
        // Listed oldest first, nothing picked, in tab order, nothing to export yet.
        QCOMPARE(entries(campaigns()), m_labels);
        QVERIFY(campaigns()->currentIndex() == -1 && !button("ExportBtn")->isEnabled());
        QCOMPARE(tabOrder(campaigns(), 7), (QStringList{"Campaigns", "DelCamp", "DelAllCamp", "Clse",
                                                        "ExportBtn", "DownloadCamp", "ShowLogBtn"}));
        QSignalSpy loaded(&m_app->session, &app::Session::campaignLoaded);
        pick(campaigns(), m_labels[id - 1]);
        QVERIFY(loaded.size() == 1 && loaded.first().at(0).toInt() == id);
        QStringList got;
        for (const store::FileLinkRow& row : loaded.first().at(1).value<QList<store::FileLinkRow>>())
            got << row.url + '|' + row.foundOn;
        QCOMPARE(got, links);
        QVERIFY(m_app->messages.shown().isEmpty() && !QApplication::overrideCursor());

        // Export... writes the whole campaign (here JSON Lines), or says why it could not.
        const QString target = m_app->database.directory() + '/' + exportTo;
        m_dialog->setFileChooser([&](QWidget*, const QString&, const QString& filters) {
            return ui::ExportTarget{target, filters.split(";;").last()};
        });
        click(button("ExportBtn"));
        if (exportTo.startsWith("missing/")) {
            QCOMPARE(m_app->messages.shown().size(), 1);
            QVERIFY(m_app->messages.texts().first().contains("links.csv"));
            return;
        }
        QVERIFY(m_app->messages.shown().isEmpty());
        QList<ui::ExportRow> rows;
        for (const QString& link : links)
            rows.append({QUrl(link.section('|', 0, 0)).fileName(), link.section('|', 0, 0), m_labels[id - 1],
                         link.section('|', 1)});
        QFile file(target + ".jsonl");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), ui::exportRows(rows, ui::ExportFormat::JsonLines));
    }

    // Show Log... opens the picked campaign's crawl log; the filter narrows it, a running search's new
    // entries join it, and Export CSV... writes the rows shown. `csv`: the exported lines after the header.
    void logViewFiltersAndExports_data() {
        addColumns<QString, QStringList>({"filter", "csv"});
        const QString root = "http://a.test/,level 1,fetched,200,1200,3,1,12";
        const QString gone =
            "\"http://a.test/gone, \"\"really\"\".html\",level 2,error status from the server,404,512,0,0,8";
        const QString slow = "http://a.test/slow.html,level 2,timed out: no answer,,,,,30000";
        const QString filtered = "http://a.test/private/p.html,level 2,filtered by a word,,,,,";
        addRow("everything", QString("All pages"), QStringList{root, gone, filtered, slow});
        addRow("one outcome", QString("Failed"), QStringList{gone, slow});
        addRow("another outcome", QString("Skipped"), QStringList{filtered});
        addRow("one reason", QString("  Timed out"), QStringList{slow});
        addRow("a reason no page had", QString("  Disallowed by robots.txt"), QStringList{});
    }
    void logViewFiltersAndExports() {
        const auto [filter, csv] = fetchRow<QString, QStringList>({"filter", "csv"});
        openWithCampaigns();
        store::CrawlLogStore log(m_app->database.connection());
        QVERIFY(log.append(1, {{"http://a.test/", "level 1", "", 200, 1200, 3, 1, 12, ""},
                               {"http://a.test/gone, \"really\".html", "level 2", "http-error", 404, 512, 0,
                                0, 8, ""},
                               {"http://a.test/private/p.html", "level 2", "filtered", 0, 0, 0, 0, 0, ""},
                               {"http://a.test/slow.html", "level 2", "timed-out", 0, 0, 0, 0, 30000,
                                "no answer"}})
                    .ok());
        QVERIFY(log.append(3, {{"http://b.test/", "level 1", "", 200, 10, 0, 0, 1, ""}}).ok());
        QVERIFY(!button("ShowLogBtn")->isEnabled()); // nothing picked yet
        pick(campaigns(), m_labels[0]);
        click(button("ShowLogBtn"));
        auto* view = m_dialog->findChild<campaigns::CrawlLogDialog*>();
        QVERIFY(view && view->isVisible() && view->campaignId() == 1);
        for (const char* name : {"LogFilter", "LogTable", "LogExport", "LogClose"})
            QVERIFY2(!control<QWidget>(view, name)->accessibleName().isEmpty(), name);
        QStringList buddies;
        for (const QLabel* label : view->findChildren<QLabel*>())
            if (label->buddy())
                buddies << label->buddy()->objectName();
        buddies.sort();
        QCOMPARE(buddies, (QStringList{"LogFilter", "LogTable"}));

        pick(control<QComboBox>(view, "LogFilter"), filter);
        QCOMPARE(view->model().rowCount(), csv.size());
        QCOMPARE(control<QLabel>(view, "LogCount")->text(), QString("%1 of 4 pages").arg(csv.size()));
        const QString target = m_app->database.directory() + "/log";
        view->setFileChooser([&](QWidget*, const QString&, const QString& filters) {
            return ui::ExportTarget{target, filters};
        });
        click(control<QPushButton>(view, "LogExport"));
        QFile file(target + ".csv");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()).split("\r\n"),
                 QStringList{"Address,Level,Outcome,Status,Bytes,Links,Files,Time (ms)"} + csv +
                     QStringList{""});

        // An entry of the running search joins when the filter lets it through; another campaign's never.
        const store::CrawlLogEntry late{
            "http://a.test/late.html", "level 3", "timed-out", 0, 0, 0, 0, 30000, ""};
        emit m_app->session.pageLogged(3, late);
        emit m_app->session.pageLogged(1, late);
        QCOMPARE(view->model().rowCount(),
                 csv.size() + (filter.contains("All") || filter.contains("imed") || filter == "Failed"));
    }

    // Download... asks for the folder while none is stored, remembers the answer, and fetches every link
    // of the campaign into the campaign's own sub-folder.
    void downloadAsksForTheFolderOnce() {
        TempUserOptions options;
        HttpFixture& site = m_app->startSite();
        HttpFixture::Route file;
        file.contentType = "audio/mpeg";
        file.body = "sound";
        site.setRoute("/song.mp3", file);
        store::CampaignStore store(m_app->database.connection());
        QVERIFY(store.createCampaign(store::CampaignType::UrlSearch, "http://a.test/"));
        QVERIFY(store.recordFileLink(1, site.url("/song.mp3")));
        m_dialog = new campaigns::CampManagement(m_app->session, m_app->messages, m_app->ownerWindow());
        QTemporaryDir folder;
        int asked = 0;
        m_dialog->setFolderChooser([&](QWidget*, const QString&) {
            ++asked;
            return folder.path();
        });
        pick(campaigns(), "1 - URL Search - http://a.test/");
        for (int round = 0; round < 2; ++round)
            click(button("DownloadCamp"));
        QCOMPARE(asked, 1);
        QCOMPARE(store::loadDownloadSettings().folder, folder.path());
        const auto done = [&] {
            const auto rows = m_app->session.downloads().rows();
            return rows->size() == 2 &&
                   std::all_of(rows->begin(), rows->end(), [](const store::DownloadRow& row) {
                       return row.state == store::DownloadState::Done && row.campaignId == 1;
                   });
        };
        QTRY_VERIFY_WITH_TIMEOUT(done(), 30000);
        QCOMPARE(QDir(folder.filePath("a.test")).entryList(QDir::Files),
                 (QStringList{"song (1).mp3", "song.mp3"}));
    }

    // Each delete button with each answer: the question, the list, the stored rows and links, the markers.
    void deletion_data() {
        addColumns<QString, bool, QString, QStringList, int>({"button", "yes", "message", "left", "links"});
        const QString one = "DelCamp", all = "DelAllCamp";
        const QString askOne = "Are sure you want to delete the selected campaign?";
        const QString askAll = "Are sure you want to delete all saved campaigns?";
        addRow("one, nothing picked", one, true, QString("Please select a campaign from the dropdown."),
               m_labels, 3);
        addRow("one, Yes", one, true, askOne, m_labels.mid(1), 1);
        addRow("one, No", one, false, askOne, m_labels, 3);
        addRow("all, Yes", all, true, askAll, QStringList{}, 0);
        addRow("all, No", all, false, askAll, m_labels, 3);
    }
    void deletion() {
        const auto [button, yes, message, left, links] =
            fetchRow<QString, bool, QString, QStringList, int>({"button", "yes", "message", "left", "links"});
        openWithCampaigns();
        store::HistoryStore history(m_app->database.connection());
        QVERIFY(history.clearHistory(store::CampaignType::UrlSearch, 3) &&
                history.clearHistory(store::CampaignType::WebSearch, 2));
        QSignalSpy cleared(&m_app->session, &app::Session::campaignsDeleted);
        const bool picked = !message.startsWith("Please");
        if (picked && button == "DelCamp")
            pick(campaigns(), m_labels[0]);
        m_app->messages.answerNext(yes);
        click(this->button(qPrintable(button)));

        QCOMPARE(m_app->messages.texts(), QStringList{message});
        QCOMPARE(m_app->messages.shown().first().kind,
                 picked ? ScriptedMessages::Kind::Question : ScriptedMessages::Kind::Critical);
        QVERIFY(m_app->session.keepShown().campaigns);
        QCOMPARE(entries(campaigns()), left);
        QCOMPARE(m_app->campaignLabels(), left);
        // A campaign's links go with it, in the same step; other campaigns keep theirs.
        QSqlQuery count(m_app->database.connection());
        QVERIFY(count.exec("SELECT COUNT(*) FROM FILELINKS") && count.next());
        QCOMPARE(count.value(0).toInt(), links);
        QCOMPARE(cleared.size(), left != m_labels ? 1 : 0);
        // Only Delete All puts the history markers back to 0.
        QCOMPARE((QList<int>{history.clearedMarker(store::CampaignType::UrlSearch).value(),
                             history.clearedMarker(store::CampaignType::WebSearch).value()}),
                 (left.isEmpty() ? QList<int>{0, 0} : QList<int>{3, 2}));
        // Ids go on after Delete All, so an old marker could never hide a new campaign.
        QVERIFY(store::CampaignStore(m_app->database.connection())
                    .createCampaign(store::CampaignType::UrlSearch, "new"));
        QCOMPARE(m_app->campaignLabels().last(), "4 - URL Search - new");
    }

    // The open list is refilled at a search start, and the running campaign cannot be deleted until it ends.
    void searchStartRefillsTheListAndProtectsItsCampaign() {
        m_app->startSite().setRoute("/", {.body = {}, .headers = {}, .delayMs = 5000});
        m_dialog = new campaigns::CampManagement(m_app->session, m_app->messages, m_app->ownerWindow());
        auto* search = new search::URLSearch(m_app->session, m_app->messages, m_app->ownerWindow());
        typeInto(control<QComboBox>(search, "URL"), m_app->site->url("/"));
        pick(control<QComboBox>(search, "Combo1"), "Audio");
        pick(control<QComboBox>(search, "Combo2"), "2");
        click(control<QPushButton>(search, "SearchBtn"));
        QVERIFY(m_app->session.engine(store::CampaignType::UrlSearch).isRunning());
        const QString label = "1 - URL Search - " + m_app->site->url("/");
        QCOMPARE(entries(campaigns()), QStringList{label});
        pick(campaigns(), label);
        for (const char* name : {"DelCamp", "DelAllCamp"}) {
            m_app->messages.answerNext(true);
            click(button(name));
        }
        const auto& shown = m_app->messages.shown();
        QVERIFY(shown.size() == 4 && shown[1].kind == ScriptedMessages::Kind::Critical &&
                shown[3].kind == ScriptedMessages::Kind::Critical);
        QCOMPARE(m_app->campaignLabels(), QStringList{label});

        m_app->session.engine(store::CampaignType::UrlSearch).stop();
        QTRY_VERIFY_WITH_TIMEOUT(!m_app->session.engine(store::CampaignType::UrlSearch).isRunning(), 20000);
        m_app->messages.answerNext(true);
        click(button("DelAllCamp"));
        QVERIFY(m_app->campaignLabels().isEmpty());
    }
};

QTEST_MAIN(TestCampManagement)
#include "test_camp_management.moc"
