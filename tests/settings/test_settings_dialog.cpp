// The Settings dialog driven as a user would, on a real database in a temporary folder: validation
// messages and focus, what is written at once and what only by OK, and the signals that refill the
// search dialogs.

#include "settings/settings_dialog.h"
#include "store/category_store.h"
#include "store/engine_store.h"
#include "store/settings_store.h"
#include "tests/support/app_context_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/temp_user_options.h"
#include "ui/crawl_policy_settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

class TestSettingsDialog : public QObject {
    Q_OBJECT

    TempUserOptions m_userOptions; // the crawling options live in the per-user settings
    std::unique_ptr<AppContextFixture> m_app;
    std::unique_ptr<Settings> m_dialog;

    void openDialog() {
        m_dialog = std::make_unique<Settings>(m_app->context);
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
    QStringList categories() { return CategoryStore(db()).names().value(); }
    QStringList engines() { return EngineStore(db()).names().value(); }
    QStringList storedFilters() { return SettingsStore(db()).loadFilters().value(); }
    QString storedConnection() {
        return SettingsStore(db()).loadConnectionType(DefaultConnectionType())->text;
    }
    // Everything the media-type and engine groups can write, as one comparable list.
    QStringList snapshot() {
        QStringList all;
        for (const QString& name : categories())
            all << "type:" + name + "=" + CategoryStore(db()).fileExtensions(name).value();
        for (const QString& name : engines())
            all << "engine:" + name + "=" + EngineStore(db()).startPage(name).value();
        return all;
    }

private slots:
    void init() {
        m_userOptions.clear();
        m_app = std::make_unique<AppContextFixture>();
        QVERIFY(m_app->context.loadSettings().ok());
    }
    void cleanup() {
        m_dialog.reset();
        m_app.reset();
    }

    void opensWithStoredContentAndNothingSelected() {
        openDialog();
        QCOMPARE(m_dialog->windowTitle(), QString("Settings"));
        QStringList groups;
        for (const auto* group : m_dialog->findChildren<QGroupBox*>())
            groups << group->title();
        QCOMPARE(groups,
                 QStringList({"Media Types", "Search Engines", "URL Filter", "Connection", "Crawling"}));
        QCOMPARE(entries(list("MT")), categories());
        QCOMPARE(entries(list("SE")), engines());
        QCOMPARE(entries(list("FilterWords")), storedFilters());
        for (const char* name : {"MT", "SE", "FilterWords"})
            QVERIFY2(list(name)->selectedItems().isEmpty(), name);
        QCOMPARE(list("FileExt")->count() + list("SELink")->count(), 0);
        for (const char* name : {"AddExt", "DelExt", "Edit"})
            QVERIFY2(!child(name)->isEnabled(), name);
        QCOMPARE(child<QComboBox>("Connex")->currentText(), storedConnection());

        // Tab visits the groups in order; Enter and Escape in a text box neither add nor close.
        addFresh("MT");
        addFresh("SE");
        const QStringList order =
            QString("MT SearchCat Add2 Delete2 FileExt Ext AddExt DelExt SE SENG Add3 Delete SELink "
                    "AddSELink Edit "
                    "FilterWords AddFilter AddFilt FilterDel Connex SameSite ObeyRobots MaxPerHost HostDelay "
                    "RetryAfter Command1 Command2")
                .split(' ');
        list("MT")->setFocus();
        QStringList visited;
        for (int i = 0; i < order.size(); ++i) {
            visited << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, order);
        const QStringList before = snapshot();
        child<QLineEdit>("SearchCat")->setText("Typed");
        child("SearchCat")->setFocus();
        QTest::keyClick(child("SearchCat"), Qt::Key_Return);
        QTest::keyClick(child("SearchCat"), Qt::Key_Escape);
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(snapshot(), before);
        QVERIFY(m_app->messages.shown().isEmpty());
    }

    void refusals_data() {
        // prepare: "MT"/"SE" adds and selects a fresh media type/engine first; field: the text box typed
        // into, which gets the focus back ("" for none); before: accepted first through the same controls.
        struct Row {
            const char *name, *prepare, *field, *before, *text, *button, *message;
        };
        const char* noType = "Please enter a new Category.";
        const char* typeExists = "The Category you entered already exists.";
        const char* noEngine = "Please enter a new Search Engine.";
        const char* noDot = "The file extension must have the \".\" in it and must not be empty.";
        const char* noKeyword = "You must replace the keyword in the URL with <!KW!>.";
        const char* noProtocol = "You must include the protocol (http:// or https://) in the URL.";
        const Row rows[] = {
            {"type empty", "", "SearchCat", "", "", "Add2", noType},
            {"type blanks", "", "SearchCat", "", "   ", "Add2", noType},
            {"type twice", "", "SearchCat", "Podcasts", "Podcasts", "Add2", typeExists},
            {"type other case, blanks", "", "SearchCat", "Podcasts", " PODCASTS ", "Add2", typeExists},
            {"engine empty", "", "SENG", "", "", "Add3", noEngine},
            {"engine blanks", "", "SENG", "", "\t ", "Add3", noEngine},
            {"engine other case", "", "SENG", "Finder", "fINDER", "Add3",
             "The Search Engine you entered already exists."},
            {"filter blanks", "", "AddFilter", "", "  ", "AddFilt",
             "Please enter a word or website address to filter out."},
            {"filter twice", "", "AddFilter", "ads", " ads ", "AddFilt",
             "The filter word or URL you entered already exists in the filter list."},
            {"ext empty", "MT", "Ext", "", "", "AddExt", noDot},
            {"ext without dot", "MT", "Ext", "", "mp3", "AddExt", noDot},
            {"ext twice", "MT", "Ext", ".mp3", " .mp3 ", "AddExt",
             "The file extension you entered already exists for the selected Category."},
            {"link empty", "SE", "AddSELink", "", "", "Edit",
             "Please enter a link to update the Search Engine."},
            {"link blanks", "SE", "AddSELink", "", "  ", "Edit", noKeyword},
            {"link without both", "SE", "AddSELink", "", "e.example", "Edit", noKeyword},
            {"link keyword lower case", "SE", "AddSELink", "", "http://e.example/?q=<!kw!>", "Edit",
             noKeyword},
            {"link without protocol", "SE", "AddSELink", "", "e.example/?q=<!KW!>", "Edit", noProtocol},
            {"link protocol capitals", "SE", "AddSELink", "", "HTTP://e.example/?q=<!KW!>", "Edit",
             noProtocol},
            {"delete no type", "", "", "", "", "Delete2", "Please select a category to delete."},
            {"delete no engine", "", "", "", "", "Delete", "Please select a Search Engine to delete."},
            {"remove no filter", "", "", "", "", "FilterDel", "Please select a filter item first."},
            {"delete no ext", "MT", "", "", "", "DelExt", "Please select a file extension first."},
        };
        for (const char* column : {"prepare", "field", "before", "text", "button", "message"})
            QTest::addColumn<QString>(column);
        for (const Row& r : rows)
            QTest::newRow(r.name) << QString(r.prepare) << QString(r.field) << QString(r.before)
                                  << QString(r.text) << QString(r.button) << QString(r.message);
    }
    void refusals() {
        QFETCH(QString, prepare);
        QFETCH(QString, field);
        QFETCH(QString, before);
        QFETCH(QString, text);
        QFETCH(QString, button);
        QFETCH(QString, message);
        openDialog();
        addFresh(prepare);
        if (!before.isEmpty())
            enter(field, before, button);
        QVERIFY(m_app->messages.shown().isEmpty());
        const QStringList stored = snapshot() + entries(list("FilterWords"));
        QSignalSpy categorySignals(&m_app->context, &AppContext::categoriesChanged);
        QSignalSpy engineSignals(&m_app->context, &AppContext::enginesChanged);

        if (!field.isEmpty())
            child<QLineEdit>(qPrintable(field))->setText(text);
        press(button);

        QCOMPARE(m_app->messages.texts(), QStringList{message});
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QCOMPARE(snapshot() + entries(list("FilterWords")), stored);
        QCOMPARE(categorySignals.count() + engineSignals.count(), 0);
        if (!field.isEmpty()) {
            QCOMPARE(QApplication::focusWidget(), child(qPrintable(field)));
            QCOMPARE(child<QLineEdit>(qPrintable(field))->text(), text);
        }
    }

    // Names and words are stored trimmed, links as typed; quotes stay, and the next opening shows them.
    void storedAndShownAgain_data() {
        for (const char* column : {"prepare", "field", "button", "listName", "typed", "stored"})
            QTest::addColumn<QString>(column);
        QTest::newRow("type") << ""
                              << "SearchCat"
                              << "Add2"
                              << "MT"
                              << "  Rock 'n' Roll  "
                              << "Rock 'n' Roll";
        QTest::newRow("engine") << ""
                                << "SENG"
                                << "Add3"
                                << "SE"
                                << " O'Brien's \"Finder\" "
                                << "O'Brien's \"Finder\"";
        QTest::newRow("extension") << "MT"
                                   << "Ext"
                                   << "AddExt"
                                   << "FileExt"
                                   << " .o'k "
                                   << ".o'k";
        QTest::newRow("filter") << ""
                                << "AddFilter"
                                << "AddFilt"
                                << "FilterWords"
                                << "  it's--ads  "
                                << "it's--ads";
        const QString links[] = {"go?to=https://e.example/?q=<!KW!>", "http://e.example/s?q=<!KW!>&t='a\"b'",
                                 " https://e.example/<!KW!> "};
        for (const QString& link : links)
            QTest::addRow("link %s", qPrintable(link)) << "SE"
                                                       << "AddSELink"
                                                       << "Edit"
                                                       << "SELink" << link << link;
    }
    void storedAndShownAgain() {
        QFETCH(QString, prepare);
        QFETCH(QString, field);
        QFETCH(QString, button);
        QFETCH(QString, listName);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        openDialog();
        addFresh(prepare);
        QSignalSpy categorySignals(&m_app->context, &AppContext::categoriesChanged);
        QSignalSpy engineSignals(&m_app->context, &AppContext::enginesChanged);
        enter(field, typed, button);
        QVERIFY(m_app->messages.shown().isEmpty());
        QCOMPARE(entries(list(listName)).count(stored), 1);
        if (listName == "MT" || listName == "SE")
            QCOMPARE((listName == "MT" ? categorySignals : engineSignals).count(), 1);
        if (listName == "FilterWords") {
            press("Command1");
            QCOMPARE(m_app->context.filters().count(stored), 1);
        }
        openDialog();
        if (!prepare.isEmpty())
            list(prepare)->setCurrentRow(entries(list(prepare)).indexOf("Fresh"));
        QCOMPARE(entries(list(listName)).count(stored), 1);
    }

    void extensionsJoinedInOrderAndDeleted() {
        openDialog();
        addFresh("MT");
        QVERIFY(CategoryStore(db()).fileExtensions("Fresh")->isNull());
        enter("Ext", ".mp3", "AddExt");
        enter("Ext", ".ogg", "AddExt");
        QCOMPARE(CategoryStore(db()).fileExtensions("Fresh").value(), QString(".mp3,.ogg"));
        QVERIFY(child<QLineEdit>("Ext")->text().isEmpty());
        list("MT")->setCurrentRow(0);
        list("MT")->setCurrentRow(list("MT")->count() - 1);
        QCOMPARE(entries(list("FileExt")), QStringList({".mp3", ".ogg"}));

        for (const QString left : {".ogg", ""}) {
            m_app->messages.answerNext(true);
            list("FileExt")->setCurrentRow(0);
            press("DelExt");
            const QString stored = CategoryStore(db()).fileExtensions("Fresh").value();
            QVERIFY(!stored.isNull());
            QCOMPARE(stored, left);
        }
        QCOMPARE(list("FileExt")->count(), 0);
        QCOMPARE(m_app->messages.texts(),
                 QStringList(2, "Are you sure you want to permanently delete the selected extension?"));

        // What another version may have stored: nothing (NULL) shows no extension, empty pieces stay.
        QVERIFY(CategoryStore(db()).setFileExtensions("Fresh", ".a,,.b").ok());
        QVERIFY(CategoryStore(db()).add("Never set").ok());
        openDialog();
        list("MT")->setCurrentRow(entries(list("MT")).indexOf("Fresh"));
        QCOMPARE(entries(list("FileExt")), QStringList({".a", "", ".b"}));
        list("MT")->setCurrentRow(entries(list("MT")).indexOf("Never set"));
        QCOMPARE(list("FileExt")->count(), 0);
    }

    void deletions_data() {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("yes");
        const QString type = "Are you sure you want to completely delete the selected Category?";
        const QString engine = "Are you sure you want to completely delete the selected Search Engine?";
        const QString ext = "Are you sure you want to permanently delete the selected extension?";
        const QString filter = "Are you sure you want to remove the selected filter item?";
        for (bool yes : {true, false}) {
            const char* answer = yes ? ", yes" : ", no";
            QTest::addRow("type%s", answer) << "MT"
                                            << "Delete2" << type << yes;
            QTest::addRow("engine%s", answer) << "SE"
                                              << "Delete" << engine << yes;
            QTest::addRow("extension%s", answer) << "FileExt"
                                                 << "DelExt" << ext << yes;
            QTest::addRow("filter%s", answer) << "FilterWords"
                                              << "FilterDel" << filter << yes;
        }
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
        QSignalSpy categorySignals(&m_app->context, &AppContext::categoriesChanged);
        QSignalSpy engineSignals(&m_app->context, &AppContext::enginesChanged);
        const QStringList stored = snapshot();

        m_app->messages.answerNext(yes);
        press(button);

        QCOMPARE(m_app->messages.texts(), QStringList{question});
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Question);
        QCOMPARE(entries(target), expected);
        QCOMPARE(categorySignals.count(), yes && listName == "MT" ? 1 : 0);
        QCOMPARE(engineSignals.count(), yes && listName == "SE" ? 1 : 0);
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
        const QStringList loadedFilters = m_app->context.filters();
        const QString connection = m_app->context.connectionType().text;
        const QString other = connection == "ISDN" ? "T1" : "ISDN";
        QSignalSpy reloaded(&m_app->context, &AppContext::settingsReloaded);
        openDialog();
        for (const char* word : {"tracker", "Ads", "ads"}) // letter case counts for filter words
            enter("AddFilter", word, "AddFilt");
        child<QComboBox>("Connex")->setCurrentText(other);
        child<QCheckBox>("ObeyRobots")->setChecked(true);
        child<QSpinBox>("HostDelay")->setValue(700);
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
        QCOMPARE(m_app->context.filters(), ok ? expected : loadedFilters);
        QCOMPARE(storedConnection(), ok ? other : connection);
        QCOMPARE(m_app->context.connectionType().text, ok ? other : connection);
        QCOMPARE(reloaded.count(), ok ? 1 : 0);
        CrawlPolicy policy;
        policy.obeyRobots = ok;
        policy.delayMsPerHost = ok ? 700 : policy.delayMsPerHost;
        QCOMPARE(LoadCrawlPolicy(), policy);
        QCOMPARE(m_app->context.urlEngine().crawlPolicy(), policy);
        QCOMPARE(m_app->context.webEngine().crawlPolicy(), policy);

        // The next opening shows what is stored; confirmed unchanged, it rewrites the same rows once each.
        openDialog();
        QCOMPARE(entries(list("FilterWords")), expected);
        QCOMPARE(child<QComboBox>("Connex")->currentText(), ok ? other : connection);
        QCOMPARE(child<QCheckBox>("ObeyRobots")->isChecked(), ok);
        press("Command1");
        QCOMPARE(storedFilters(), expected);
    }

    // Stored texts as a user's hand or another version may have left them, and what the dialog shows:
    // the connection, then SameSite ObeyRobots MaxPerHost HostDelayMs RetryAfter.
    void storedOptionsShown_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("known, nothing else")
            << QStringList{"T2"} << QStringList{"T2", "0", "0", "0", "0", "0"};
        QTest::newRow("blanks, all set") << QStringList{" Cable ", "true", "true", "4", "1500", "true"}
                                         << QStringList{"Cable", "1", "1", "4", "1500", "1"};
        QTest::newRow("unknown, out of range") << QStringList{"Satellite", "1", "0", "-3", "999999", "false"}
                                               << QStringList{"Unknown", "1", "0", "0", "60000", "0"};
        QTest::newRow("other case, not numbers") << QStringList{"dsl", "yes", "maybe", "many", "", "2"}
                                                 << QStringList{"Unknown", "0", "0", "0", "0", "0"};
        QTest::newRow("empty") << QStringList{""} << QStringList{"Unknown", "0", "0", "0", "0", "0"};
    }
    void storedOptionsShown() {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, shown);
        QVERIFY(SettingsStore(db()).saveSettings(stored.takeFirst(), {}).ok());
        const QStringList keys{"SameSite", "ObeyRobots", "MaxPerHost", "HostDelayMs", "RetryAfter"};
        {
            QSettings settings("Vorlane", "Vorlane");
            for (qsizetype i = 0; i < stored.size(); ++i)
                settings.setValue("Crawling/" + keys[i], stored[i]);
        }
        QVERIFY(m_app->context.loadSettings().ok());
        openDialog();
        const QStringList actual{child<QComboBox>("Connex")->currentText(),
                                 QString::number(child<QCheckBox>("SameSite")->isChecked()),
                                 QString::number(child<QCheckBox>("ObeyRobots")->isChecked()),
                                 QString::number(child<QSpinBox>("MaxPerHost")->value()),
                                 QString::number(child<QSpinBox>("HostDelay")->value()),
                                 QString::number(child<QCheckBox>("RetryAfter")->isChecked())};
        QCOMPARE(actual, shown);
        QCOMPARE(m_app->context.urlEngine().crawlPolicy(), m_app->context.crawlPolicy());
    }

    void unreadableDatabaseDisablesOk() {
        m_app->database.close();
        openDialog();
        QCOMPARE(m_app->messages.shown().size(), 1);
        QCOMPARE(m_app->messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QVERIFY(!m_app->messages.last().isEmpty());
        QVERIFY(!child("Command1")->isEnabled());
        press("Command2");
        QVERIFY(!m_dialog->isVisible());
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "test_settings_dialog.moc"
