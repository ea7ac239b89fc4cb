// The main window: switching lists by the six actions, laying out the lists, the rows a real crawl and a
// loaded campaign put into the lists with the activity display, the quick filter, and accessible names.

#include "form_fixture.h"
#include "shell/twips.h"
#include "tests/support/http_fixture.h"
#include "tests/support/modal_driver.h"
#include "ui/app_context.h"
#include "ui/quick_filter_bar.h"
#include "ui/status_panels.h"
#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSqlQuery>
#include <QToolBar>

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }
    void actionsSwitchLists_data();
    void actionsSwitchLists();
    void arrangeResultLists();
    void crawlFillsItsOwnListAndTheActivityDisplay_data();
    void crawlFillsItsOwnListAndTheActivityDisplay();
    void campaignLinksLoadInBatches_data();
    void campaignLinksLoadInBatches();
    void quickFilterActsOnTheListShown();
    void everyControlHasAnAccessibleName();

private:
    TempUserOptions m_options;
};

void TestForm1::actionsSwitchLists_data() {
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

void TestForm1::actionsSwitchLists() {
    QFETCH(QString, action);
    QFETCH(int, list);
    QFETCH(QString, window);
    FormFixture f;
    // Start from the campaign list, or from the URL list for Campaigns itself, so "unchanged" shows.
    f.form->runAction(list == 3 ? "Two" : "Three");
    const int before = f.visibleList();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != f.form.get())
            w->hide();

    ModalDriver driver(window, [](QWidget* dialog) { dialog->close(); });
    f.form->findChild<QAction*>(action)->trigger();

    QCOMPARE(f.visibleList(), list ? list : before);
    if (window == "Settings" || window == "About") {
        QVERIFY(driver.seen());
    } else if (window == "help") {
        QCOMPARE(f.opener.opened(), QList<QUrl>{QUrl::fromLocalFile(f.database.directory() + "/help.htm")});
    } else {
        QWidget* dialog = f.form->findChild<QWidget*>(window);
        QVERIFY(dialog && dialog->isVisible());
    }
    QAction* entry = f.form->findChild<QAction*>(action);
    if (f.form->findChild<QToolBar*>("Toolbar1")->actions().contains(entry))
        QVERIFY(!entry->icon().isNull()); // from the icon theme or the built-in fallback
}

void TestForm1::arrangeResultLists() {
    FormFixture f;
    QWidget* area = f.form->findChild<QWidget*>("ResultArea");
    const QSize designed(TwipsToPixelsX(f.form.get(), 7080), TwipsToPixelsY(f.form.get(), 6675));
    QCOMPARE(f.form->size(), designed);
    for (const QSize size : {QSize(900, 700), QSize(520, 380), designed}) {
        f.form->resize(size);
        QTRY_COMPARE_WITH_TIMEOUT(f.form->listView(1)->size(), area->size(), 2000);
        const int column = area->width() / 3 - TwipsToPixelsX(f.form.get(), 100);
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(f.form->listView(i)->geometry(), QRect(QPoint(0, 0), area->size()));
            QCOMPARE(f.form->listView(i)->columnWidths(), (QList<int>{column, column, column}));
        }
    }
    // No room left under the toolbar: the height stays, the width follows.
    ResultList* list = f.form->listView(2);
    const int height = list->height();
    area->resize(area->width() - 40, 0);
    f.form->ArrangeResultLists();
    QCOMPARE(list->height(), height);
    QCOMPARE(list->width(), area->width());
    // Minimised: the columns keep their widths.
    for (int c = 0; c < 3; ++c)
        list->setColumnWidth(c, 33);
    f.form->showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(f.form->isMinimized(), 2000);
    f.form->ArrangeResultLists();
    QCOMPARE(list->columnWidths(), (QList<int>{33, 33, 33}));
    // The floor keeps every column width positive.
    f.form->showNormal();
    f.form->resize(10, 10);
    QTRY_VERIFY_WITH_TIMEOUT(f.form->listView(1)->columnWidth(0) > 0, 2000);
}

void TestForm1::crawlFillsItsOwnListAndTheActivityDisplay_data() {
    QTest::addColumn<bool>("urlSearch");
    QTest::newRow("URL Search") << true;
    QTest::newRow("Web Search") << false;
}

void TestForm1::crawlFillsItsOwnListAndTheActivityDisplay() {
    QFETCH(bool, urlSearch);
    HttpFixture site;
    QVERIFY(site.isListening());
    // The start page for the URL Search; the engine's result page for the Web Search.
    for (const char* path : {"/", "/?q=song"})
        site.setPage(path, HttpFixture::linksPage({"a.mp3", "b.mp3", "next.html"}));
    HttpFixture::Route slow;
    slow.body = HttpFixture::linksPage({"c.mp3"}).toUtf8();
    slow.delayMs = 700; // long enough to look at the display while it runs
    site.setRoute("/next.html", slow);

    FormFixture f;
    AppContext& context = f.form->context();
    CrawlEngine& engine = urlSearch ? context.urlEngine() : context.webEngine();
    QVERIFY(QSqlQuery(context.db())
                .exec(QString("INSERT INTO SENGINES(ENGINE, STARTPAGE) VALUES('Local', '%1')")
                          .arg(site.url("/?q=<!KW!>"))));
    QVERIFY((urlSearch ? engine.startUrlCrawl(site.url("/"), ".mp3", 2)
                       : engine.startWebCrawl("song", ".mp3", "Local"))
                .ok());
    ResultList* own = f.form->listView(urlSearch ? 2 : 1);
    QTRY_COMPARE_WITH_TIMEOUT(own->rowCount(), 2, 5000);

    // While it runs, the other search's entry points are disabled; the panels tell which one runs.
    const auto display = [&] {
        QStringList out{f.form->statusPanels()->panelText(1), f.form->statusPanels()->panelText(3)};
        for (const char* name : {"One", "WSearch", "Two", "USearch"})
            out << (f.form->findChild<QAction*>(name)->isEnabled() ? "on" : "off");
        return out;
    };
    const QString mine = urlSearch ? "on" : "off", other = urlSearch ? "off" : "on";
    QVERIFY(engine.isRunning());
    QCOMPARE(display().mid(1), (QStringList{urlSearch ? "URL Search running..." : "Web Search running...",
                                            other, other, mine, mine}));

    QTRY_VERIFY_WITH_TIMEOUT(!engine.isRunning(), 10000);
    QCOMPARE(display(), (QStringList{"Done.", "Idle", "on", "on", "on", "on"}));
    QVERIFY(f.form->statusPanels()->panelText(4).endsWith(QStringLiteral("3 files found")));
    QCOMPARE((QList<int>{own->rowCount(), f.form->listView(urlSearch ? 1 : 2)->rowCount()}),
             (QList<int>{3, 0}));
    QCOMPARE(own->rows().row(0).url, site.url("/a.mp3"));
    // Exports of this list name the campaign it belongs to.
    QVERIFY2(own->campaignLabel().startsWith(QString::number(engine.campaignId()) + " - "),
             qPrintable(own->campaignLabel()));

    // A new search of the same kind empties only its own list.
    emit context.clearResultsRequested(urlSearch ? CampaignType::UrlSearch : CampaignType::WebSearch);
    QCOMPARE(own->rowCount(), 0);
}

void TestForm1::campaignLinksLoadInBatches_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("no links: Done. alone") << 0;
    QTest::newRow("many links") << 60000;
}

void TestForm1::campaignLinksLoadInBatches() {
    QFETCH(int, count);
    FormFixture f;
    ResultList* list = f.form->listView(3);
    list->AddResultRow("old.mp3", "http://old.test/old.mp3"); // from an earlier campaign
    QList<FileLinkRow> rows;
    for (int i = 0; i < count; ++i)
        rows.append({QString("http://site.test/d/%1.mp3").arg(i), QStringLiteral("http://site.test/")});
    StatusPanels* panels = f.form->statusPanels();

    emit f.form->context().campaignLinksLoaded(7, rows);

    QCOMPARE(f.visibleList(), 3);
    QCOMPARE(panels->panelText(1), count ? QStringLiteral("Loading...") : QStringLiteral("Done."));
    QTRY_COMPARE_WITH_TIMEOUT(panels->panelText(1), QStringLiteral("Done."), 5000);
    QCOMPARE(list->rowCount(), count);
    if (count)
        QCOMPARE(list->rows().row(count - 1).fileName, QString("%1.mp3").arg(count - 1));
    // A deleted campaign empties the list even in the middle of a load.
    emit f.form->context().campaignLinksLoaded(8, rows);
    emit f.form->context().campaignResultsClearRequested();
    QTest::qWait(50);
    QCOMPARE(list->rowCount(), 0);
}

void TestForm1::quickFilterActsOnTheListShown() {
    FormFixture f;
    for (int i = 1; i <= 2; ++i)
        for (const char* name : {"a.ogg", "b.mp3", "c.mp3"})
            f.form->listView(i)->AddResultRow(name, QStringLiteral("http://s.test/") + name);
    QTest::keyClicks(f.form->findChild<QLineEdit*>("QuickFilter"), "mp3");
    QCOMPARE(f.form->quickFilter()->countText(), QStringLiteral("2 of 3 shown"));
    f.form->runAction("Two");
    // The list left shows all again; the list shown now is filtered.
    QCOMPARE((QList<int>{f.form->listView(1)->rowCount(), f.form->listView(2)->rowCount()}),
             (QList<int>{3, 2}));
}

void TestForm1::everyControlHasAnAccessibleName() {
    FormFixture f;
    QList<QWidget*> widgets = f.form->findChildren<QWidget*>();
    widgets.append(f.form.get());
    int checked = 0;
    for (QWidget* w : widgets) {
        // Parts Qt builds inside its own widgets (scroll bars, header buttons) and other windows' controls
        // are not this window's.
        if (!w->inherits("QAbstractButton") && !w->inherits("QAbstractItemView") && !w->inherits("QLabel") &&
            !w->inherits("QMenu") && !w->inherits("QToolBar") && !w->inherits("QStatusBar") &&
            w != f.form.get())
            continue;
        if (w->window() != f.form.get() || w->objectName().startsWith("qt_"))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(),
                 qPrintable(w->metaObject()->className() + (" " + w->objectName())));
        ++checked;
    }
    QVERIFY(checked > 15);
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
