// The main window: switching lists by the six actions, laying out the lists, the activity display and the
// rows a real crawl and a loaded campaign put into the lists, and accessible names.

#include "campaigns/camp_management.h"
#include "form_fixture.h"
#include "search/url_search.h"
#include "search/web_search.h"
#include "shell/twips.h"
#include "store/campaign_store.h"
#include "tests/support/http_fixture.h"
#include "tests/support/modal_driver.h"
#include "ui/app_context.h"
#include "ui/result_list.h"
#include "ui/status_panels.h"
#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSqlQuery>
#include <QToolBar>

namespace {

int visibleList(Form1& form) {
    int visible = 0;
    for (int i = 1; i <= 3; ++i)
        if (form.listView(i)->isVisibleTo(&form))
            visible = visible ? -1 : i; // -1: more than one
    return visible;
}

QAction* entry(Form1& form, const QString& name) {
    return form.findChild<QAction*>(name);
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }
    void designedMenusAndToolbar();
    void actionsSwitchLists_data();
    void actionsSwitchLists();
    void urlSearchPrefillsOnlyAnEmptyBox();
    void arrangeFollowsTheResultArea();
    void arrangeKeepsHeightsWithoutRoomAndColumnsWhenMinimised();
    void crawlFillsItsOwnListAndTheActivityDisplay_data();
    void crawlFillsItsOwnListAndTheActivityDisplay();
    void campaignLinksLoadInBatches_data();
    void campaignLinksLoadInBatches();
    void everyControlHasAnAccessibleName();

private:
    TempUserOptions m_options;
};

void TestForm1::designedMenusAndToolbar() {
    FormFixture f;
    QStringList menus;
    for (QMenu* menu : {f.form->findChild<QMenu*>("Actions"), f.form->findChild<QMenu*>("Options"),
                        f.form->findChild<QMenu*>("Help")}) {
        QStringList entries;
        for (QAction* a : menu->actions())
            entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
        menus << menu->title() + ": " + entries.join('|');
    }
    QCOMPARE(menus, (QStringList{"Actions: Web Search|URL Search|-|Campaigns", "Options: Settings",
                                 "Help: Help topics|-|About"}));
    auto* toolbar = f.form->findChild<QToolBar*>("Toolbar1");
    QStringList buttons;
    for (QAction* a : toolbar->actions())
        buttons << a->objectName() + "=" + a->text() + "/" + a->toolTip();
    QCOMPARE(buttons, (QStringList{"One=Web Search/Web Search", "Two=URL Search/URL Search",
                                   "Three=Campaigns/Campaigns", "Four=Settings/Settings", "Five=Help/Help",
                                   "Six=About/About"}));
    for (QAction* a : toolbar->actions())
        QVERIFY2(!a->icon().isNull(), qPrintable(a->objectName()));
}

void TestForm1::actionsSwitchLists_data() {
    QTest::addColumn<QString>("action"); // toolbar key or menu entry name
    QTest::addColumn<int>("list");       // 0: unchanged
    QTest::addColumn<QString>("window"); // the window it opens
    const struct {
        const char* key;
        const char* menu;
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
    const int before = visibleList(*f.form);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != f.form.get())
            w->hide();

    const bool modal = window == "Settings" || window == "About";
    ModalDriver driver(window, [](QWidget* dialog) { dialog->close(); });
    entry(*f.form, action)->trigger();

    QCOMPARE(visibleList(*f.form), list ? list : before);
    if (modal) {
        QVERIFY(driver.seen());
    } else if (window == "help") {
        QCOMPARE(f.opener.opened(), QList<QUrl>{QUrl::fromLocalFile(f.database.directory() + "/help.htm")});
    } else {
        QWidget* dialog = f.form->findChild<QWidget*>(window);
        QVERIFY(dialog && dialog->isVisible());
    }
}

void TestForm1::urlSearchPrefillsOnlyAnEmptyBox() {
    FormFixture f;
    auto* box = f.form->urlSearch()->findChild<QComboBox*>("URL");
    QVERIFY(box);
    f.form->runAction("Two");
    QCOMPARE(box->currentText(), QStringLiteral("http://"));
    box->setEditText("http://site.test/");
    f.form->runAction("Two");
    QCOMPARE(box->currentText(), QStringLiteral("http://site.test/"));
}

void TestForm1::arrangeFollowsTheResultArea() {
    FormFixture f;
    const QSize designed(TwipsToPixelsX(f.form.get(), 7080), TwipsToPixelsY(f.form.get(), 6675));
    QCOMPARE(f.form->size(), designed);
    for (const QSize size : {QSize(900, 700), QSize(520, 380), designed}) {
        f.form->resize(size);
        QWidget* area = f.form->findChild<QWidget*>("ResultArea");
        QTRY_COMPARE_WITH_TIMEOUT(f.form->listView(1)->size(), area->size(), 2000);
        for (int i = 1; i <= 3; ++i) {
            ResultList* list = f.form->listView(i);
            QCOMPARE(list->geometry(), QRect(QPoint(0, 0), area->size()));
            const int column = area->width() / 3 - TwipsToPixelsX(f.form.get(), 100);
            for (int c = 0; c < 3; ++c)
                QCOMPARE(list->columnWidth(c), column);
        }
    }
    // The floor keeps every column width positive.
    f.form->resize(10, 10);
    QTRY_VERIFY_WITH_TIMEOUT(f.form->listView(1)->columnWidth(0) > 0, 2000);
}

void TestForm1::arrangeKeepsHeightsWithoutRoomAndColumnsWhenMinimised() {
    FormFixture f;
    ResultList* list = f.form->listView(2);
    const int height = list->height();
    QWidget* area = f.form->findChild<QWidget*>("ResultArea");
    area->resize(area->width() - 40, 0); // no room left under the toolbar
    f.form->ArrangeResultLists();
    QCOMPARE(list->height(), height);
    QCOMPARE(list->width(), area->width());

    for (int c = 0; c < 3; ++c)
        list->setColumnWidth(c, 33);
    f.form->showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(f.form->isMinimized(), 2000);
    f.form->ArrangeResultLists();
    for (int c = 0; c < 3; ++c)
        QCOMPARE(list->columnWidth(c), 33);
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
    site.setPage("/", HttpFixture::linksPage({"a.mp3", "b.mp3", "next.html"}));
    site.setPage("/?q=song", HttpFixture::linksPage({"a.mp3", "b.mp3", "next.html"}));
    HttpFixture::Route slow;
    slow.body = HttpFixture::linksPage({"c.mp3"}).toUtf8();
    slow.delayMs = 700; // long enough to look at the display while it runs
    site.setRoute("/next.html", slow);

    FormFixture f;
    AppContext& context = f.form->context();
    CrawlEngine& engine = urlSearch ? context.urlEngine() : context.webEngine();
    if (urlSearch) {
        QVERIFY(engine.startUrlCrawl(site.url("/"), ".mp3", 2).ok());
    } else {
        QSqlQuery add(context.db());
        QVERIFY(add.exec(QStringLiteral("INSERT INTO SENGINES(ENGINE, STARTPAGE) VALUES('Local', '%1')")
                             .arg(site.url("/?q=<!KW!>"))));
        QVERIFY2(engine.startWebCrawl("song", ".mp3", "Local").ok(), "web crawl did not start");
    }
    ResultList* own = f.form->listView(urlSearch ? 2 : 1);
    ResultList* other = f.form->listView(urlSearch ? 1 : 2);
    QTRY_COMPARE_WITH_TIMEOUT(own->rowCount(), 2, 5000);

    // While it runs, the other search's entry points are disabled.
    QVERIFY(engine.isRunning());
    QCOMPARE(entry(*f.form, "One")->isEnabled(), !urlSearch);
    QCOMPARE(entry(*f.form, "WSearch")->isEnabled(), !urlSearch);
    QCOMPARE(entry(*f.form, "Two")->isEnabled(), urlSearch);
    QCOMPARE(entry(*f.form, "USearch")->isEnabled(), urlSearch);
    QCOMPARE(f.form->statusPanels()->panelText(3),
             urlSearch ? QStringLiteral("URL Search running...") : QStringLiteral("Web Search running..."));

    QTRY_VERIFY_WITH_TIMEOUT(!engine.isRunning(), 10000);
    QCOMPARE(own->rowCount(), 3);
    QCOMPARE(other->rowCount(), 0);
    QCOMPARE(own->rows().row(0).url, site.url("/a.mp3"));
    QVERIFY(own->rows().row(0).foundOn.startsWith(site.url("/")));
    QCOMPARE(f.form->statusPanels()->panelText(1), QStringLiteral("Done."));
    QCOMPARE(f.form->statusPanels()->panelText(3), QStringLiteral("Idle"));
    QVERIFY(f.form->statusPanels()->panelText(4).endsWith(QStringLiteral("3 files found")));
    for (const char* name : {"One", "Two", "WSearch", "USearch"})
        QVERIFY2(entry(*f.form, name)->isEnabled(), name);

    // A new search of the same kind empties only its own list.
    emit context.clearResultsRequested(urlSearch ? CampaignType::UrlSearch : CampaignType::WebSearch);
    QCOMPARE(own->rowCount(), 0);
}

void TestForm1::campaignLinksLoadInBatches_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("no links: Done. alone") << 0;
    QTest::newRow("a few links") << 3;
    QTest::newRow("many links") << 60000;
}

void TestForm1::campaignLinksLoadInBatches() {
    QFETCH(int, count);
    FormFixture f;
    f.form->listView(3)->AddResultRow("old.mp3", "http://old.test/old.mp3"); // from an earlier campaign
    QList<FileLinkRow> rows;
    for (int i = 0; i < count; ++i)
        rows.append(
            {QStringLiteral("http://site.test/d/%1.mp3").arg(i), QStringLiteral("http://site.test/")});

    emit f.form->context().campaignLinksLoaded(7, rows);

    QCOMPARE(visibleList(*f.form), 3);
    if (count > 25000)
        QCOMPARE(f.form->statusPanels()->panelText(1), QStringLiteral("Loading..."));
    QTRY_COMPARE_WITH_TIMEOUT(f.form->statusPanels()->panelText(1), QStringLiteral("Done."), 5000);
    ResultList* list = f.form->listView(3);
    QCOMPARE(list->rowCount(), count);
    if (count) {
        QCOMPARE(list->rows().row(count - 1).fileName, QStringLiteral("%1.mp3").arg(count - 1));
        QCOMPARE(list->rows().row(0).foundOn, QStringLiteral("http://site.test/"));
    }

    // A deleted campaign empties the list even in the middle of a load.
    emit f.form->context().campaignLinksLoaded(8, rows);
    emit f.form->context().campaignResultsClearRequested();
    QTest::qWait(50);
    QCOMPARE(list->rowCount(), 0);
}

void TestForm1::everyControlHasAnAccessibleName() {
    FormFixture f;
    QList<QWidget*> widgets = f.form->findChildren<QWidget*>();
    widgets.append(f.form.get());
    int checked = 0;
    for (QWidget* w : widgets) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                             qobject_cast<QLabel*>(w) || qobject_cast<QMenu*>(w) ||
                             qobject_cast<QToolBar*>(w) || qobject_cast<QStatusBar*>(w) || w == f.form.get();
        // Parts Qt builds inside its own widgets (scroll bars, header buttons) and other windows' controls
        // are not this window's.
        if (!control || w->window() != f.form.get() || w->objectName().startsWith("qt_"))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        QVERIFY(a);
        QVERIFY2(!a->text(QAccessible::Name).isEmpty(),
                 qPrintable(w->metaObject()->className() + (" " + w->objectName())));
        ++checked;
    }
    QVERIFY(checked > 15);
}

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
