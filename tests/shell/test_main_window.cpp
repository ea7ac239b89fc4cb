// The main window: switching lists by the six actions, laying out the lists, the rows a real crawl and a
// loaded campaign put into the lists with the activity display, the quick filter, accessible names, and
// its state across runs.

#include "app/session.h"
#include "tests/support/http_fixture.h"
#include "tests/support/modal_driver.h"
#include "ui/quick_filter_bar.h"
#include "ui/status_panels.h"
#include "window_fixture.h"
#include <QAccessible>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

using namespace vorlane;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }

    void actionsSwitchLists_data() {
        QTest::addColumn<QString>("action"); // toolbar key or menu entry name
        QTest::addColumn<int>("list");       // 0: unchanged
        QTest::addColumn<QString>("window"); // the window it opens
        const struct {
            const char *key, *menu;
            int list;
            const char* window;
        } rows[] = {{"One", "WSearch", 1, "WebSearch"},      {"Two", "USearch", 2, "URLSearch"},
                    {"Three", "Camps", 3, "CampManagement"}, {"Four", "Stings", 0, "Settings"},
                    {"Five", "Helptopics", 0, "help"},       {"Six", "Abt", 0, "About"}};
        for (const auto& row : rows) {
            QTest::addRow("toolbar %s", row.key) << row.key << row.list << row.window;
            QTest::addRow("menu %s", row.menu) << row.menu << row.list << row.window;
        }
    }

    void actionsSwitchLists() {
        QFETCH(QString, action);
        QFETCH(int, list);
        QFETCH(QString, window);
        WindowFixture f;
        // Start from the campaign list, or from the URL list for Campaigns itself, so "unchanged" shows.
        const int before = list == 3 ? 2 : 3;
        f.pane()->showList(before);

        ModalDriver driver(window, [](QWidget* dialog) { dialog->close(); });
        f.trigger(qPrintable(action));

        QCOMPARE(f.visibleList(), list ? list : before);
        if (window == "Settings" || window == "About") {
            QVERIFY(driver.seen());
        } else if (window == "help") {
            QCOMPARE(f.opener.opened(),
                     QList<QUrl>{QUrl::fromLocalFile(f.database.directory() + "/help.htm")});
        } else {
            QWidget* dialog = f.window->findChild<QWidget*>(window);
            QVERIFY(dialog && dialog->isVisible());
        }
        QAction* entry = f.window->findChild<QAction*>(action);
        if (f.window->findChild<QToolBar*>("Toolbar1")->actions().contains(entry))
            QVERIFY(!entry->icon().isNull()); // from the icon theme or the built-in fallback
    }

    // A button pushed into the toolbar's overflow menu is one the user never sees: at the designed size
    // the six designed buttons stay in sight; with a little more room, Downloads too.
    void toolbarFitsTheDesignedSize() {
        WindowFixture f;
        auto* toolbar = f.window->findChild<QToolBar*>("Toolbar1");
        const QSize designed = f.designedSize();
        for (const QSize size : {designed, QSize(designed.width() + 80, designed.height())}) {
            f.window->resize(size);
            QTRY_COMPARE_WITH_TIMEOUT(toolbar->width(), f.window->width(), 2000);
            const QList<QAction*> buttons = toolbar->actions();
            for (QAction* action : buttons.mid(0, size == designed ? 6 : buttons.size()))
                QVERIFY2(toolbar->widgetForAction(action)->isVisible(), qPrintable(action->text()));
        }
    }

    void arrangeResultLists() {
        WindowFixture f;
        QWidget* area = f.window->findChild<QWidget*>("ResultArea");
        for (const QSize size : {QSize(900, 700), QSize(520, 380), f.designedSize()}) {
            f.window->resize(size);
            QTRY_COMPARE_WITH_TIMEOUT(f.list(1)->size(), area->size(), 2000);
            const int column = f.spreadColumn();
            for (int i = 1; i <= 3; ++i) {
                QCOMPARE(f.list(i)->geometry(), QRect(QPoint(0, 0), area->size()));
                QCOMPARE(f.list(i)->columnWidths(), (QList<int>{column, column, column}));
            }
        }
        // No room left under the toolbar: the height stays, the width follows.
        ui::ResultList* list = f.list(2);
        const int height = list->height();
        area->resize(area->width() - 40, 0);
        f.pane()->arrangeLists();
        QCOMPARE(list->height(), height);
        QCOMPARE(list->width(), area->width());
        // Minimised: the columns keep their widths.
        for (int c = 0; c < 3; ++c)
            list->setColumnWidth(c, 33);
        f.window->showMinimized();
        QTRY_VERIFY_WITH_TIMEOUT(f.window->isMinimized(), 2000);
        f.pane()->arrangeLists();
        QCOMPARE(list->columnWidths(), (QList<int>{33, 33, 33}));
        // The floor keeps every column width positive.
        f.window->showNormal();
        f.window->resize(10, 10);
        QTRY_VERIFY_WITH_TIMEOUT(f.list(1)->columnWidth(0) > 0, 2000);
    }

    void crawlFillsItsOwnListAndTheActivityDisplay_data() {
        QTest::addColumn<bool>("urlSearch");
        QTest::newRow("URL Search") << true;
        QTest::newRow("Web Search") << false;
    }

    void crawlFillsItsOwnListAndTheActivityDisplay() {
        QFETCH(bool, urlSearch);
        HttpFixture site;
        QVERIFY(site.isListening());
        // The start page for the URL Search; the engine's result page for the Web Search.
        for (const char* path : {"/", "/?q=song"})
            site.setPage(path, HttpFixture::linksPage({"a.mp3", "b.mp3", "next.html"}));
        // Long enough to look at the display while it runs.
        site.setRoute("/next.html",
                      {.body = HttpFixture::linksPage({"c.mp3"}).toUtf8(), .headers = {}, .delayMs = 700});

        WindowFixture f;
        app::Session& session = f.window->session();
        crawl::CrawlEngine& engine =
            session.engine(urlSearch ? store::CampaignType::UrlSearch : store::CampaignType::WebSearch);
        QVERIFY(QSqlQuery(f.database.connection())
                    .exec(QString("INSERT INTO SENGINES(ENGINE, STARTPAGE) VALUES('Local', '%1')")
                              .arg(site.url("/?q=<!KW!>"))));
        QVERIFY((urlSearch ? engine.startUrlCrawl(site.url("/"), ".mp3", 2)
                           : engine.startWebCrawl("song", ".mp3", "Local"))
                    .ok());
        ui::ResultList* own = f.list(urlSearch ? 2 : 1);
        QTRY_COMPARE_WITH_TIMEOUT(own->rowCount(), 2, 5000);

        // While it runs, the other search's entry points are disabled; the panels tell which one runs.
        const auto display = [&] {
            QStringList out{f.window->statusPanels()->panelText(1), f.window->statusPanels()->panelText(3)};
            for (const char* name : {"One", "WSearch", "Two", "USearch"})
                out << (f.window->findChild<QAction*>(name)->isEnabled() ? "on" : "off");
            return out;
        };
        const QString mine = urlSearch ? "on" : "off", other = urlSearch ? "off" : "on";
        QVERIFY(engine.isRunning());
        QCOMPARE(display().mid(1), (QStringList{urlSearch ? "URL Search running..." : "Web Search running...",
                                                other, other, mine, mine}));

        QTRY_VERIFY_WITH_TIMEOUT(!engine.isRunning(), 10000);
        QCOMPARE(display(), (QStringList{"Done.", "Idle", "on", "on", "on", "on"}));
        QVERIFY(f.window->statusPanels()->panelText(4).endsWith(QStringLiteral("3 files found")));
        QCOMPARE((QList<int>{own->rowCount(), f.list(urlSearch ? 1 : 2)->rowCount()}), (QList<int>{3, 0}));
        QCOMPARE(own->rows().row(0).url, site.url("/a.mp3"));
        // Exports of this list name the campaign it belongs to.
        QVERIFY2(own->campaignLabel().startsWith(QString::number(engine.campaignId()) + " - "),
                 qPrintable(own->campaignLabel()));

        // A new search of the same kind empties only its own list.
        session.clearResults(urlSearch ? store::CampaignType::UrlSearch : store::CampaignType::WebSearch);
        QCOMPARE(own->rowCount(), 0);
    }

    // What a screen reader hears from the status bar once a real crawl has ended, done or stopped: every
    // panel's text, read through the accessibility interface. The crawl's log then lists its pages.
    void statusPanelsHeardAfterACrawl_data() {
        QTest::addColumn<bool>("stop");
        QTest::addColumn<QStringList>("heard");
        QTest::newRow("done") << false
                              << QStringList{"Done.", "level 2", "Idle",
                                             "2 pages crawled, 0 queued, 2 files found"};
        QTest::newRow("stopped") << true
                                 << QStringList{"Stopped.", "level 1", "Idle",
                                                "1 pages crawled, 0 queued, 1 files found"};
    }
    void statusPanelsHeardAfterACrawl() {
        QFETCH(bool, stop);
        QFETCH(QStringList, heard);
        HttpFixture site;
        site.setPage("/", HttpFixture::linksPage({"a.mp3", "next.html"}));
        HttpFixture::Route silent;
        silent.hang = true;
        if (stop)
            site.setRoute("/next.html", silent);
        else
            site.setPage("/next.html", HttpFixture::linksPage({"b.mp3"}));
        WindowFixture f;
        app::Session& session = f.window->session();
        crawl::CrawlEngine& engine = session.engine(store::CampaignType::UrlSearch);
        QVERIFY(engine.startUrlCrawl(site.url("/"), ".mp3", 2).ok());
        if (stop) {
            QTRY_VERIFY_WITH_TIMEOUT(site.hits("/next.html") == 1 && f.list(2)->rowCount() == 1, 5000);
            session.stop(store::CampaignType::UrlSearch);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!engine.isRunning(), 10000);
        const auto panelsHeard = [&] {
            QStringList out;
            for (int panel = 1; panel <= 4; ++panel)
                out << QAccessible::queryAccessibleInterface(f.window->statusPanels()->panel(panel))
                           ->text(QAccessible::Name);
            return out;
        };
        QTRY_COMPARE_WITH_TIMEOUT(panelsHeard(), heard, 2000);

        f.trigger("ShowLog");
        auto* log = f.window->findChild<QDialog*>("CrawlLog");
        QVERIFY(log && log->isVisible());
        QCOMPARE(log->findChild<QTableView*>("LogTable")->model()->rowCount(), stop ? 1 : 2);
    }

    // The first write the database refuses stops the search: "Stopped.", its error in one box, and the rows
    // shown are the rows stored.
    void storeFailureStopsTheSearch() {
        HttpFixture site;
        site.setPage("/", HttpFixture::linksPage({"a.mp3", "b.mp3", "next.html"}));
        site.setRoute(
            "/next.html",
            {.body = HttpFixture::linksPage({"c.mp3", "more.html"}).toUtf8(), .headers = {}, .delayMs = 300});
        site.setPage("/more.html", HttpFixture::linksPage({"d.mp3"}));
        WindowFixture f;
        crawl::CrawlEngine& engine = f.window->session().engine(store::CampaignType::UrlSearch);
        QVERIFY(engine.startUrlCrawl(site.url("/"), ".mp3", 3).ok());
        ui::ResultList* list = f.list(2);
        QTRY_COMPARE_WITH_TIMEOUT(list->rowCount(), 2, 5000);
        QVERIFY(QSqlQuery(f.database.connection()).exec("PRAGMA query_only = ON")); // writes fail from here
        QTRY_VERIFY_WITH_TIMEOUT(!engine.isRunning(), 10000);
        QCOMPARE(f.window->statusPanels()->panelText(1), QStringLiteral("Stopped."));
        QCOMPARE(f.messages.shown().size(), 1);
        QVERIFY2(f.messages.last().contains("readonly"), qPrintable(f.messages.last()));
        QCOMPARE(site.hits("/more.html"), 0);
        QSqlQuery stored(f.database.connection());
        QVERIFY(
            stored.exec(
                QString("SELECT COUNT(*) FROM FILELINKS WHERE CAMPAIGNID = %1").arg(engine.campaignId())) &&
            stored.next());
        QCOMPARE(stored.value(0).toInt(), 2);
        QCOMPARE(list->rowCount(), 2);
    }

    void campaignLinksLoadInBatches_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("no links: Done. alone") << 0;
        QTest::newRow("many links") << 60000;
    }

    void campaignLinksLoadInBatches() {
        QFETCH(int, count);
        WindowFixture f;
        ui::ResultList* list = f.list(3);
        list->addResultRow("old.mp3", "http://old.test/old.mp3"); // from an earlier campaign
        QList<store::FileLinkRow> rows;
        for (int i = 0; i < count; ++i)
            rows.append({QString("http://site.test/d/%1.mp3").arg(i), QStringLiteral("http://site.test/")});
        // The message panel and whether the window shows it is busy.
        const auto busy = [&f] {
            return QStringList{f.window->statusPanels()->panelText(1),
                               f.window->cursor().shape() == Qt::WaitCursor ? "wait" : "arrow"};
        };

        emit f.window->session().campaignLoaded(7, rows);

        QCOMPARE(f.visibleList(), 3);
        QCOMPARE(busy(), (count ? QStringList{"Loading...", "wait"} : QStringList{"Done.", "arrow"}));
        QTRY_COMPARE_WITH_TIMEOUT(busy(), (QStringList{"Done.", "arrow"}), 5000);
        QCOMPARE(list->rowCount(), count);
        if (count)
            QCOMPARE(list->rows().row(count - 1).fileName, QString("%1.mp3").arg(count - 1));
        // A deleted campaign empties the list even in the middle of a load, and no batch queued before the
        // deletion comes after it.
        emit f.window->session().campaignLoaded(8, rows);
        emit f.window->session().campaignsDeleted();
        QCOMPARE(busy().last(), QStringLiteral("arrow"));
        bool queuedLater = false;
        QTimer::singleShot(0, f.window.get(), [&queuedLater] { queuedLater = true; });
        QTRY_VERIFY_WITH_TIMEOUT(queuedLater, 2000);
        QCOMPARE(list->rowCount(), 0);
    }

    void quickFilterActsOnTheListShown() {
        WindowFixture f;
        for (int i = 1; i <= 2; ++i)
            for (const char* name : {"a.ogg", "b.mp3", "c.mp3"})
                f.list(i)->addResultRow(name, QStringLiteral("http://s.test/") + name);
        QTest::keyClicks(f.window->findChild<QLineEdit*>("QuickFilter"), "mp3");
        QCOMPARE(f.pane()->quickFilter()->countText(), QStringLiteral("2 of 3 shown"));
        f.trigger("Two");
        // The list left shows all again; the list shown now is filtered.
        QCOMPARE((QList<int>{f.list(1)->rowCount(), f.list(2)->rowCount()}), (QList<int>{3, 2}));
    }

    void everyControlHasAnAccessibleName() {
        WindowFixture f;
        QList<QWidget*> widgets = f.window->findChildren<QWidget*>();
        widgets.append(f.window.get());
        int checked = 0;
        for (QWidget* w : widgets) {
            // Parts Qt builds inside its own widgets (scroll bars, header buttons) and other windows'
            // controls are not this window's.
            if (!w->inherits("QAbstractButton") && !w->inherits("QAbstractItemView") &&
                !w->inherits("QLabel") && !w->inherits("QMenu") && !w->inherits("QToolBar") &&
                !w->inherits("QStatusBar") && w != f.window.get())
                continue;
            if (w->window() != f.window.get() || w->objectName().startsWith("qt_"))
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(),
                     qPrintable(w->metaObject()->className() + (" " + w->objectName())));
            ++checked;
        }
        QVERIFY(checked > 15);
    }

    // The window's state across runs: what one window stores when the program ends comes back in the
    // next, a damaged store falls back to the designed window, and a window never shown stores nothing.
    void comesBackInTheNextWindow_data() {
        QTest::addColumn<int>("list");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("maximized");
        QTest::addColumn<QList<int>>("widths"); // of the shown list, by hand; empty: none
        QTest::addColumn<QList<int>>("clicks"); // header clicks on the shown list

        QTest::newRow("URL list, sized by hand, sorted by address descending")
            << 2 << QRect(40, 30, 640, 480) << false << QList<int>{200, 250, 120} << QList<int>{1, 1};
        QTest::newRow("campaign list, sorted by file, columns left to the window")
            << 3 << QRect(10, 20, 560, 420) << false << QList<int>{} << QList<int>{0};
        QTest::newRow("web list, maximised, never sorted")
            << 1 << QRect(50, 60, 600, 450) << true << QList<int>{90, 300, 100} << QList<int>{};
    }

    void comesBackInTheNextWindow() {
        QFETCH(int, list);
        QFETCH(QRect, geometry);
        QFETCH(bool, maximized);
        QFETCH(QList<int>, widths);
        QFETCH(QList<int>, clicks);
        {
            WindowFixture f;
            QVERIFY(f.exposed);
            f.pane()->showList(list);
            f.window->setGeometry(geometry);
            QTRY_COMPARE_WITH_TIMEOUT(f.window->geometry(), geometry, 2000);
            for (int c = 0; c < widths.size(); ++c)
                f.list(list)->header()->resizeSection(c, widths[c]);
            for (int c : clicks)
                f.list(list)->headerClicked(c);
            if (maximized)
                f.window->showMaximized();
            QTRY_COMPARE_WITH_TIMEOUT(f.window->isMaximized(), maximized, 2000);
            f.window->shutDownApplication();
        }

        WindowFixture f;
        QVERIFY(f.exposed);
        QCOMPARE(f.visibleList(), list);
        QCOMPARE(f.window->isMaximized(), maximized);
        QCOMPARE(maximized ? f.window->normalGeometry() : f.window->geometry(), geometry);
        ui::ResultList* shown = f.list(list);
        // Without widths set by hand the columns are still spread by the window.
        const int spread = f.spreadColumn();
        QCOMPARE(shown->columnWidths(), (widths.isEmpty() ? QList<int>{spread, spread, spread} : widths));
        const ui::ResultListModel& model = shown->rows();
        QCOMPARE(model.isSorted(), !clicks.isEmpty());
        if (!clicks.isEmpty()) {
            const Qt::SortOrder order = clicks.size() % 2 ? Qt::AscendingOrder : Qt::DescendingOrder;
            QCOMPARE(
                (QList<int>{model.sortColumn(), model.sortOrder(), shown->header()->sortIndicatorSection(),
                            shown->header()->sortIndicatorOrder()}),
                (QList<int>{clicks.last(), order, clicks.last(), order}));
            // Rows arriving now take their sorted place, and the next click flips the restored direction.
            shown->addResultRow("b.mp3", "http://s.test/b.mp3");
            shown->addResultRow("a.mp3", "http://s.test/a.mp3");
            QCOMPARE(model.row(0).fileName, QString(order == Qt::AscendingOrder ? "a.mp3" : "b.mp3"));
            shown->headerClicked(clicks.last());
            QVERIFY(model.sortOrder() != order);
        }
        // The other lists kept what they had: spread columns, no sort.
        for (int i = 1; i <= 3; ++i)
            QVERIFY(i == list || (!f.list(i)->hasUserColumnWidths() && !f.list(i)->rows().isSorted()));
    }

    void damagedStoreKeepsTheDesignedWindow_data() {
        QTest::addColumn<QVariantMap>("stored"); // under "Window/"
        QTest::newRow("size as text") << QVariantMap{{"Size", "big"}};
        QTest::newRow("position far off every screen") << QVariantMap{{"Position", QPoint(50000, 50000)}};
        QTest::newRow("no such list") << QVariantMap{{"VisibleList", "7"}};
        QTest::newRow("width not a number") << QVariantMap{{"ListView1/ColumnWidths", "100,wide,100"}};
        QTest::newRow("zero width") << QVariantMap{{"ListView1/ColumnWidths", "0,100,100"}};
        QTest::newRow("no such column")
            << QVariantMap{{"ListView1/SortColumn", "3"}, {"ListView1/SortOrder", "ascending"}};
        QTest::newRow("no such order")
            << QVariantMap{{"ListView1/SortColumn", "1"}, {"ListView1/SortOrder", "sideways"}};
    }

    void damagedStoreKeepsTheDesignedWindow() {
        QFETCH(QVariantMap, stored);
        {
            QSettings settings("Vorlane", "Vorlane");
            for (auto it = stored.cbegin(); it != stored.cend(); ++it)
                settings.setValue("Window/" + it.key(), it.value());
        }
        WindowFixture f;
        QVERIFY(f.exposed);
        QCOMPARE(f.window->size(), f.designedSize());
        const QRect seen = f.window->geometry().intersected(f.window->screen()->availableGeometry());
        QVERIFY(seen.width() >= 50 && seen.height() >= 50);
        QCOMPARE(f.visibleList(), 1);
        QVERIFY(!f.list(1)->hasUserColumnWidths() && !f.list(1)->rows().isSorted());
    }

    void windowNeverShownStoresNothing() {
        WindowFixture f(true, false);
        f.window->shutDownApplication();
        QSettings settings("Vorlane", "Vorlane");
        settings.beginGroup("Window");
        QVERIFY(settings.allKeys().isEmpty());
    }

private:
    TempUserOptions m_options;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
