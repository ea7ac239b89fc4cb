// The Settings dialog driven as a user would, on a real database in a temporary folder: validation
// messages and focus, what is written at once and what only by OK, and the signals that refill the
// search dialogs.

#include "settings/settings_dialog.h"
#include "store/category_store.h"
#include "store/crawl_settings_store.h"
#include "store/download_settings.h"
#include "store/engine_store.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/session_fixture.h"
#include "tests/support/table_rows.h"
#include "tests/support/temp_user_options.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QSpinBox>
#include <QtTest>

using namespace vorlane;

// Declares text columns and adds one row per list, named by its first entry.
static void table(std::initializer_list<const char*> columns, std::initializer_list<QStringList> rows) {
    for (const char* column : columns)
        QTest::addColumn<QString>(column);
    for (const QStringList& row : rows) {
        QTestData& data = QTest::newRow(qPrintable(row.first()));
        for (const QString& cell : row.mid(1))
            data << cell;
    }
}

class TestSettingsDialog : public QObject {
    Q_OBJECT

    TempUserOptions m_userOptions; // the crawling options live in the per-user settings
    std::unique_ptr<SessionFixture> m_app;
    std::unique_ptr<settings::Settings> m_dialog;

    void openDialog() {
        m_dialog = std::make_unique<settings::Settings>(m_app->session, m_app->messages);
        m_dialog->show();
        if (!QTest::qWaitForWindowActive(m_dialog.get()))
            qWarning("the dialog did not become active; focus checks may fail");
    }
    template <typename T = QWidget> T* child(const char* name) { return control<T>(m_dialog.get(), name); }
    QListWidget* list(const QString& name) { return child<QListWidget>(qPrintable(name)); }
    void press(const QString& name) { click(child<QPushButton>(qPrintable(name))); }
    void enter(const QString& field, const QString& text, const QString& button) {
        child<QLineEdit>(qPrintable(field))->setText(text);
        press(button);
    }
    // Adds a media type ("MT") or engine ("SE") named "Fresh" through the dialog; it ends up selected.
    void addFresh(const QString& group) {
        if (!group.isEmpty())
            enter(group == "MT" ? "SearchCat" : "SENG", "Fresh", group == "MT" ? "Add2" : "Add3");
    }
    QSqlDatabase db() { return m_app->database.connection(); }
    QStringList categories() { return store::CategoryStore(db()).names().value(); }
    QStringList engines() { return store::EngineStore(db()).names().value(); }
    QStringList storedFilters() { return store::CrawlSettingsStore(db()).load()->filters; }
    // Everything the media-type and engine groups can write, and the filter words OK would write.
    QStringList snapshot() {
        QStringList all = entries(list("FilterWords"));
        for (const QString& name : categories())
            all << "type:" + name + "=" + store::CategoryStore(db()).fileExtensions(name).value();
        for (const QString& name : engines())
            all << "engine:" + name + "=" + store::EngineStore(db()).startPage(name).value();
        return all;
    }
    // The one box shown since the test cleared them.
    void expectOnly(ScriptedMessages::Kind kind, const QString& text) {
        QCOMPARE(m_app->messages.texts(), QStringList{text});
        QCOMPARE(m_app->messages.shown().first().kind, kind);
    }
    // Per control typed into or pressed: the button that confirms it, the list showing what it stores, and
    // the list ("MT" or "SE") whose fresh entry it needs selected.
    static std::array<QString, 3> targetOf(const QString& control) {
        static const QHash<QString, std::array<QString, 3>> targets{
            {"SearchCat", {"Add2", "MT", ""}},       {"SENG", {"Add3", "SE", ""}},
            {"Ext", {"AddExt", "FileExt", "MT"}},    {"AddFilter", {"AddFilt", "FilterWords", ""}},
            {"AddSELink", {"Edit", "SELink", "SE"}}, {"DelExt", {"DelExt", "", "MT"}}};
        return targets.value(control, {control, "", ""});
    }
    // The session's announcements since the last clear: "MT" for media types, "SE" for engines.
    QStringList m_changes;
    static QStringList changeOf(const QString& listName) {
        return listName == "MT" || listName == "SE" ? QStringList{listName} : QStringList();
    }

private slots:
    void init() {
        m_userOptions.clear();
        m_app = std::make_unique<SessionFixture>();
        QVERIFY(m_app->session.loadSettings().ok());
        connect(&m_app->session, &app::Session::categoriesChanged, this, [this] { m_changes << "MT"; });
        connect(&m_app->session, &app::Session::enginesChanged, this, [this] { m_changes << "SE"; });
    }
    void cleanup() {
        m_dialog.reset();
        m_app.reset();
    }

    // A refused entry or press shows its message and nothing else: nothing written or signalled, and the
    // focus and the text back in the box at fault. "before" is accepted first.
    void refusals_data() {
        const QString noType = "Please enter a new Category.";
        const QString typeExists = "The Category you entered already exists.";
        const QString noDot = "The file extension must have the \".\" in it and must not be empty.";
        const QString noKeyword = "You must replace the keyword in the URL with <!KW!>.";
        const QString noProtocol = "You must include the protocol (http:// or https://) in the URL.";
        table({"control", "before", "text", "message"},
              {{"type empty", "SearchCat", "", "", noType},
               {"type blanks", "SearchCat", "", "   ", noType},
               {"type twice", "SearchCat", "Podcasts", "Podcasts", typeExists},
               {"type other case, blanks", "SearchCat", "Podcasts", " PODCASTS ", typeExists},
               {"engine empty", "SENG", "", "", "Please enter a new Search Engine."},
               {"engine other case", "SENG", "Finder", "fINDER",
                "The Search Engine you entered already exists."},
               {"filter blanks", "AddFilter", "", "  ",
                "Please enter a word or website address to filter out."},
               {"filter twice", "AddFilter", "ads", " ads ",
                "The filter word or URL you entered already exists in the filter list."},
               {"ext empty", "Ext", "", "", noDot},
               {"ext without dot", "Ext", "", "mp3", noDot},
               {"ext twice", "Ext", ".mp3", " .mp3 ",
                "The file extension you entered already exists for the selected Category."},
               {"link empty", "AddSELink", "", "", "Please enter a link to update the Search Engine."},
               {"link blanks", "AddSELink", "", "  ", noKeyword},
               {"link without both", "AddSELink", "", "e.example", noKeyword},
               {"link keyword lower case", "AddSELink", "", "http://e.example/?q=<!kw!>", noKeyword},
               {"link without protocol", "AddSELink", "", "e.example/?q=<!KW!>", noProtocol},
               {"link protocol capitals", "AddSELink", "", "HTTP://e.example/?q=<!KW!>", noProtocol},
               {"delete no type", "Delete2", "", "", "Please select a category to delete."},
               {"delete no engine", "Delete", "", "", "Please select a Search Engine to delete."},
               {"remove no filter", "FilterDel", "", "", "Please select a filter item first."},
               {"delete no ext", "DelExt", "", "", "Please select a file extension first."}});
    }
    void refusals() {
        QFETCH(QString, control);
        QFETCH(QString, before);
        QFETCH(QString, text);
        QFETCH(QString, message);
        const auto [button, shownIn, selectFirst] = targetOf(control);
        const bool typed = !shownIn.isEmpty();
        openDialog();
        addFresh(selectFirst);
        if (!before.isEmpty())
            enter(control, before, button);
        QVERIFY(m_app->messages.shown().isEmpty());
        const QStringList stored = snapshot();
        m_changes.clear();
        if (typed)
            child<QLineEdit>(qPrintable(control))->setText(text);
        press(button);

        expectOnly(ScriptedMessages::Kind::Critical, message);
        QCOMPARE(snapshot(), stored);
        QCOMPARE(m_changes, QStringList());
        if (typed) {
            QCOMPARE(QApplication::focusWidget(), child(qPrintable(control)));
            QCOMPARE(child<QLineEdit>(qPrintable(control))->text(), text);
        }
    }

    // Names and words are kept trimmed, links as typed, quotes too; each is shown once, and again at the
    // next opening.
    void acceptedEntries_data() {
        table({"control", "text"},
              {{"type", "SearchCat", "  Rock 'n' Roll  "},
               {"engine", "SENG", " O'Brien's \"Finder\" "},
               {"ext", "Ext", " .o'k "},
               {"filter", "AddFilter", "  it's--ads  "},
               {"link, https after the start", "AddSELink", "go?to=https://e.example/?q=<!KW!>"},
               {"link with quotes", "AddSELink", "http://e.example/s?q=<!KW!>&t='a\"b'"},
               {"link with blanks", "AddSELink", " https://e.example/<!KW!> "}});
    }
    void acceptedEntries() {
        QFETCH(QString, control);
        QFETCH(QString, text);
        const auto [button, shownIn, selectFirst] = targetOf(control);
        const QString kept = control == "AddSELink" ? text : text.trimmed();
        openDialog();
        addFresh(selectFirst);
        if (control == "AddSELink") // a link replaces the one before
            enter(control, "https://old.example/<!KW!>", button);
        m_changes.clear();
        enter(control, text, button);

        QVERIFY(m_app->messages.shown().isEmpty());
        QCOMPARE(entries(list(shownIn)).count(kept), 1);
        if (shownIn == "SELink")
            QCOMPARE(list(shownIn)->count(), 1);
        QCOMPARE(m_changes, changeOf(shownIn));
        if (shownIn == "FilterWords") {
            press("Command1");
            QCOMPARE(m_app->session.crawlSettings().filters.count(kept), 1);
        }
        openDialog();
        if (!selectFirst.isEmpty())
            list(selectFirst)->setCurrentRow(entries(list(selectFirst)).indexOf("Fresh"));
        QCOMPARE(entries(list(shownIn)).count(kept), 1);
    }

    void extensionsJoinedInOrderAndDeleted() {
        openDialog();
        addFresh("MT");
        QVERIFY(store::CategoryStore(db()).fileExtensions("Fresh")->isNull());
        enter("Ext", ".mp3", "AddExt");
        enter("Ext", ".ogg", "AddExt");
        QCOMPARE(store::CategoryStore(db()).fileExtensions("Fresh").value(), QString(".mp3,.ogg"));
        QVERIFY(child<QLineEdit>("Ext")->text().isEmpty());
        list("MT")->setCurrentRow(0);
        list("MT")->setCurrentRow(list("MT")->count() - 1);
        QCOMPARE(entries(list("FileExt")), QStringList({".mp3", ".ogg"}));

        for (const QString left : {".ogg", ""}) {
            m_app->messages.answerNext(true);
            list("FileExt")->setCurrentRow(0);
            press("DelExt");
            const QString stored = store::CategoryStore(db()).fileExtensions("Fresh").value();
            QVERIFY(!stored.isNull());
            QCOMPARE(stored, left);
        }
        QCOMPARE(list("FileExt")->count(), 0);
        QCOMPARE(m_app->messages.texts(),
                 QStringList(2, "Are you sure you want to permanently delete the selected extension?"));

        // What another version may have stored: nothing (NULL) shows no extension, empty pieces stay.
        QVERIFY(store::CategoryStore(db()).setFileExtensions("Fresh", ".a,,.b").ok());
        QVERIFY(store::CategoryStore(db()).add("Never set").ok());
        openDialog();
        list("MT")->setCurrentRow(entries(list("MT")).indexOf("Fresh"));
        QCOMPARE(entries(list("FileExt")), QStringList({".a", "", ".b"}));
        list("MT")->setCurrentRow(entries(list("MT")).indexOf("Never set"));
        QCOMPARE(list("FileExt")->count(), 0);
    }

    void deletions_data() {
        addColumns<QString, QString, QString, bool>({"listName", "button", "question", "yes"});
        const QStringList targets[] = {
            {"MT", "Delete2", "Are you sure you want to completely delete the selected Category?"},
            {"SE", "Delete", "Are you sure you want to completely delete the selected Search Engine?"},
            {"FileExt", "DelExt", "Are you sure you want to permanently delete the selected extension?"},
            {"FilterWords", "FilterDel", "Are you sure you want to remove the selected filter item?"}};
        for (bool yes : {true, false})
            for (const QStringList& t : targets)
                QTest::addRow("%s, %s", qPrintable(t[0]), yes ? "yes" : "no") << t[0] << t[1] << t[2] << yes;
    }
    void deletions() {
        QFETCH(QString, listName);
        QFETCH(QString, button);
        QFETCH(QString, question);
        QFETCH(bool, yes);
        openDialog();
        addFresh("MT");
        addFresh("SE");
        enter("Ext", ".mp3", "AddExt");
        enter("AddSELink", "https://e.example/<!KW!>", "Edit");
        enter("AddFilter", "ads", "AddFilt");
        QVERIFY(m_app->messages.shown().isEmpty());
        QListWidget* target = list(listName);
        target->setCurrentRow(target->count() - 1);
        QStringList expected = entries(target);
        if (yes)
            expected.removeLast();
        const QStringList stored = snapshot();
        m_changes.clear();

        m_app->messages.answerNext(yes);
        press(button);

        expectOnly(ScriptedMessages::Kind::Question, question);
        QCOMPARE(entries(target), expected);
        QCOMPARE(m_changes, yes ? changeOf(listName) : QStringList());
        if (!yes) {
            QCOMPARE(snapshot(), stored);
        } else if (listName == "MT" || listName == "SE") {
            // Nothing is selected afterwards, so no extension or link of the deleted row is left showing.
            QCOMPARE(listName == "MT" ? categories() : engines(), expected);
            QVERIFY(target->selectedItems().isEmpty());
            QCOMPARE(list(listName == "MT" ? "FileExt" : "SELink")->count(), 0);
            QVERIFY(!child(listName == "MT" ? "AddExt" : "Edit")->isEnabled());
        }
    }

    // Media types and engines are written at once; filters, connection and crawling options only by OK.
    void okOrCancel_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void okOrCancel() {
        QFETCH(bool, ok);
        const QStringList filters = storedFilters();
        const QStringList loadedFilters = m_app->session.crawlSettings().filters;
        const QString connection = m_app->session.crawlSettings().connectionType;
        const QString other = connection == "ISDN" ? "T1" : "ISDN";
        openDialog();
        for (const char* word : {"tracker", "Ads", "ads"}) // letter case counts for filter words
            enter("AddFilter", word, "AddFilt");
        child<QComboBox>("Connex")->setCurrentText(other);
        child<QCheckBox>("ObeyRobots")->setChecked(true);
        child<QSpinBox>("HostDelay")->setValue(700);
        child<QSpinBox>("MaxQueued")->setValue(5000);
        child<QLineEdit>("DownloadFolder")->setText("/srv/media");
        child<QCheckBox>("FolderPerCampaign")->setChecked(false);
        child<QSpinBox>("ConnectionsPerFile")->setValue(3);
        child<QSpinBox>("MaxFileSize")->setValue(20);
        addFresh("MT");
        addFresh("SE");
        QVERIFY(m_app->messages.shown().isEmpty());
        press(ok ? "Command1" : "Command2");
        QCOMPARE(m_dialog->result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
        QVERIFY(!m_dialog->isVisible());

        QVERIFY(categories().contains("Fresh"));
        QVERIFY(engines().contains("Fresh"));
        const QStringList expected = ok ? filters + QStringList{"tracker", "Ads", "ads"} : filters;
        QCOMPARE(storedFilters(), expected);
        QCOMPARE(m_app->session.crawlSettings().filters, ok ? expected : loadedFilters);
        QCOMPARE(store::CrawlSettingsStore(db()).load()->connectionType, ok ? other : connection);
        QCOMPARE(m_app->session.crawlSettings().connectionType, ok ? other : connection);
        const store::CrawlPolicy policy{.obeyRobots = ok,
                                        .delayMsPerHost = ok ? 700 : 0,
                                        .maxQueuedPages = ok ? 5000 : store::kDefaultMaxQueuedPages};
        QCOMPARE(store::CrawlSettingsStore::loadPolicy(), policy);
        QCOMPARE(m_app->session.engine(store::CampaignType::UrlSearch).settings().policy, policy);
        QCOMPARE(m_app->session.engine(store::CampaignType::WebSearch).settings().policy, policy);
        const store::DownloadSettings downloads =
            ok ? store::DownloadSettings{"/srv/media", false, 0, 3, 20 * 1024 * 1024}
               : store::DownloadSettings{};
        QCOMPARE(store::loadDownloadSettings(), downloads);
        QCOMPARE(m_app->session.downloads().settings(), downloads);

        // The next opening shows what is stored; confirmed unchanged, it rewrites the same rows once each.
        openDialog();
        QCOMPARE(entries(list("FilterWords")), expected);
        QCOMPARE(child<QComboBox>("Connex")->currentText(), ok ? other : connection);
        QCOMPARE(child<QCheckBox>("ObeyRobots")->isChecked(), ok);
        QCOMPARE(child<QSpinBox>("MaxFileSize")->value(), ok ? 20 : 0);
        press("Command1");
        QCOMPARE(storedFilters(), expected);
    }

    // The dialog opens on what is stored, nothing selected. Stored options are texts as a user's hand or
    // another version may have left them: the connection, then SameSite ObeyRobots MaxPerHost HostDelayMs
    // RetryAfter.
    void opensOnWhatIsStored_data() {
        table({"storedTexts", "shown"},
              {{"known, nothing else", "T2", "T2,0,0,0,0,0"},
               {"blanks, all set", " Cable ,true,true,4,1500,true", "Cable,1,1,4,1500,1"},
               {"unknown, out of range", "Satellite,1,0,-3,999999,false", "Unknown,1,0,0,60000,0"},
               {"other case, not numbers", "dsl,yes,maybe,many,,2", "Unknown,0,0,0,0,0"},
               {"empty", "", "Unknown,0,0,0,0,0"}});
    }
    void opensOnWhatIsStored() {
        QFETCH(QString, storedTexts);
        QFETCH(QString, shown);
        QStringList stored = storedTexts.split(',');
        QVERIFY(store::CrawlSettingsStore(db()).save({stored.takeFirst(), {}, {}}).ok());
        const QStringList keys{"SameSite", "ObeyRobots", "MaxPerHost", "HostDelayMs", "RetryAfter"};
        {
            QSettings settings("Vorlane", "Vorlane");
            for (qsizetype i = 0; i < stored.size(); ++i)
                settings.setValue("Crawling/" + keys[i], stored[i]);
        }
        QVERIFY(m_app->session.loadSettings().ok());
        openDialog();
        const QStringList actual{child<QComboBox>("Connex")->currentText(),
                                 QString::number(child<QCheckBox>("SameSite")->isChecked()),
                                 QString::number(child<QCheckBox>("ObeyRobots")->isChecked()),
                                 QString::number(child<QSpinBox>("MaxPerHost")->value()),
                                 QString::number(child<QSpinBox>("HostDelay")->value()),
                                 QString::number(child<QCheckBox>("RetryAfter")->isChecked())};
        QCOMPARE(actual, shown.split(','));
        QCOMPARE(m_app->session.engine(store::CampaignType::UrlSearch).settings().policy,
                 m_app->session.crawlSettings().policy);
        QCOMPARE(entries(list("MT")) + entries(list("SE")) + entries(list("FilterWords")),
                 categories() + engines() + storedFilters());
        for (const char* name : {"MT", "SE", "FilterWords"})
            QVERIFY2(list(name)->selectedItems().isEmpty(), name);
        QCOMPARE(list("FileExt")->count() + list("SELink")->count(), 0);
        for (const char* name : {"AddExt", "DelExt", "Edit"})
            QVERIFY2(!child(name)->isEnabled(), name);
    }

    void captionsAndTabOrder() {
        openDialog();
        QStringList captions{m_dialog->windowTitle()};
        for (const auto* group : m_dialog->findChildren<QGroupBox*>())
            captions << group->title();
        QCOMPARE(captions,
                 QString("Settings,Media Types,Search Engines,URL Filter,Connection,Crawling,Downloads")
                     .split(','));
        for (const QLabel* label : m_dialog->findChildren<QLabel*>())
            QVERIFY2(label->buddy(), qPrintable(label->text()));
        QStringList order = tabOrder(child("MT"), 40);
        order.removeAll("qt_spinbox_lineedit");
        QCOMPARE(order,
                 QString("MT,SearchCat,Add2,Delete2,FileExt,Ext,AddExt,DelExt,SE,SENG,Add3,Delete,SELink,"
                         "AddSELink,Edit,FilterWords,AddFilter,AddFilt,FilterDel,Connex,SameSite,"
                         "ObeyRobots,MaxPerHost,HostDelay,RetryAfter,MaxQueued,DownloadFolder,"
                         "BrowseDownloadFolder,FolderPerCampaign,FilesAtOnce,ConnectionsPerFile,MaxFileSize,"
                         "Command1,Command2")
                     .split(','));
    }

    // Enter and Escape in a text box neither add nor close.
    void enterAndEscapeInABox() {
        openDialog();
        const QStringList before = snapshot();
        child<QLineEdit>("SearchCat")->setText("Typed");
        child("SearchCat")->setFocus();
        QTest::keyClick(child("SearchCat"), Qt::Key_Return);
        QTest::keyClick(child("SearchCat"), Qt::Key_Escape);
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(snapshot(), before);
        QVERIFY(m_app->messages.shown().isEmpty());
    }

    void unreadableDatabaseDisablesOk() {
        m_app->database.close();
        openDialog();
        QCOMPARE(m_app->messages.shown().size(), 1);
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QVERIFY(!m_app->messages.last().isEmpty());
        QVERIFY(!child("Command1")->isEnabled());
        for (const char* name : {"MT", "SE", "FilterWords", "Connex"})
            QVERIFY2(!child(name)->isEnabled(), name);
        QVERIFY(child("SameSite")->isEnabled()); // the crawling options are not in the database
        press("Command2");
        QVERIFY(!m_dialog->isVisible());
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "test_settings_dialog.moc"
