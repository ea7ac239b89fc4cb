// The Settings dialog driven as a user would, on a real database in a temporary folder: validation
// messages and focus, what is written at once and what only by OK, and the signals that refill the
// search dialogs.

#include "settings/settings_dialog.h"
#include "store/category_store.h"
#include "store/database.h"
#include "store/engine_store.h"
#include "store/settings_store.h"
#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/temp_user_options.h"
#include "ui/app_context.h"
#include "ui/crawl_policy_settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items << list->item(row)->text();
    return items;
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT

    TempUserOptions m_userOptions; // the crawling options live in the per-user settings
    std::unique_ptr<QTemporaryDir> m_dir;
    StartupResult m_started;
    ScriptedMessages m_messages;
    RecordingOpener m_opener;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<Settings> m_dialog;

    Settings& openDialog() {
        m_dialog = std::make_unique<Settings>(*m_context);
        m_dialog->show();
        if (!QTest::qWaitForWindowActive(m_dialog.get()))
            qWarning("the dialog did not become active; focus checks may fail");
        return *m_dialog;
    }
    template <typename T = QWidget> T* child(const char* name) {
        T* widget = m_dialog->findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QListWidget* list(const char* name) { return child<QListWidget>(name); }
    void click(const char* name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    void enter(const char* field, const QString& text, const char* button) {
        child<QLineEdit>(field)->setText(text);
        click(button);
    }
    // Adds a media type or engine through the dialog; the new item ends up selected.
    void addFresh(const QString& group) {
        if (group == "MT")
            enter("SearchCat", "Fresh", "Add2");
        else if (group == "SE")
            enter("SENG", "Fresh", "Add3");
    }
    QStringList categories() { return CategoryStore(m_context->db()).names().value(); }
    QStringList engines() { return EngineStore(m_context->db()).names().value(); }
    QStringList storedFilters() { return SettingsStore(m_context->db()).loadFilters().value(); }
    QString storedConnection() {
        return SettingsStore(m_context->db()).loadConnectionType(DefaultConnectionType())->text;
    }
    // Everything the media-type and engine groups can write, as one comparable list.
    QStringList snapshot() {
        QStringList all;
        for (const QString& name : categories())
            all << "type:" + name + "=" + CategoryStore(m_context->db()).fileExtensions(name).value();
        for (const QString& name : engines())
            all << "engine:" + name + "=" + EngineStore(m_context->db()).startPage(name).value();
        return all;
    }

private slots:
    void init() {
        m_userOptions.clear();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_started = PrepareDatabase(m_dir->path());
        QCOMPARE(m_started.outcome, StartupOutcome::Ready);
        m_messages.clear();
        m_context = std::make_unique<AppContext>(m_started.database, m_messages, m_opener);
        QVERIFY(m_context->loadSettings().ok());
    }
    void cleanup() {
        m_dialog.reset();
        m_context.reset();
        m_started.database.close();
        m_dir.reset();
    }

    void opensWithStoredContentAndNothingSelected() {
        openDialog();
        QCOMPARE(m_dialog->windowTitle(), QString("Settings"));
        QVERIFY(m_dialog->windowFlags().testFlag(Qt::Tool));
        QCOMPARE(m_dialog->minimumSize(), m_dialog->maximumSize());
        QStringList groups;
        for (const auto* group : m_dialog->findChildren<QGroupBox*>())
            groups << group->title();
        QCOMPARE(groups,
                 QStringList({"Media Types", "Search Engines", "URL Filter", "Connection", "Crawling"}));

        QCOMPARE(itemsOf(list("MT")), categories());
        QCOMPARE(itemsOf(list("SE")), engines());
        QCOMPARE(itemsOf(list("FilterWords")), storedFilters());
        for (const char* name : {"MT", "SE", "FilterWords"})
            QVERIFY2(list(name)->selectedItems().isEmpty(), name);
        QCOMPARE(list("FileExt")->count(), 0);
        QCOMPARE(list("SELink")->count(), 0);
        for (const char* name : {"AddExt", "DelExt", "Edit"})
            QVERIFY2(!child(name)->isEnabled(), name);

        QVERIFY(!child<QComboBox>("Connex")->isEditable());
        QCOMPARE(child<QComboBox>("Connex")->currentText(), storedConnection());
        QVERIFY(m_messages.shown().isEmpty());
    }

    void everyControlHasAnAccessibleName() {
        openDialog();
        const auto widgets = m_dialog->findChildren<QWidget*>();
        int controls = 0;
        for (const QWidget* widget : widgets) {
            if (!qobject_cast<const QAbstractItemView*>(widget) && !qobject_cast<const QLineEdit*>(widget) &&
                !qobject_cast<const QAbstractButton*>(widget) && !qobject_cast<const QComboBox*>(widget))
                continue;
            if (widget->objectName().startsWith("qt_"))
                continue;
            ++controls;
            QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(widget->objectName()));
        }
        QCOMPARE(controls, 25);
    }

    void tabVisitsTheGroupsInOrder() {
        openDialog();
        addFresh("MT");
        addFresh("SE");
        const QStringList expected = {
            "MT",         "SearchCat",   "Add2",      "Delete2",    "FileExt",   "Ext",     "AddExt",
            "DelExt",     "SE",          "SENG",      "Add3",       "Delete",    "SELink",  "AddSELink",
            "Edit",       "FilterWords", "AddFilter", "AddFilt",    "FilterDel", "Connex",  "SameSite",
            "ObeyRobots", "MaxPerHost",  "HostDelay", "RetryAfter", "Command1",  "Command2"};
        list("MT")->setFocus();
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            visited << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected);
    }

    void enterAndEscapeDoNothingByThemselves() {
        openDialog();
        const QStringList before = categories();
        child<QLineEdit>("SearchCat")->setText("Typed");
        child("SearchCat")->setFocus();
        QTest::keyClick(child("SearchCat"), Qt::Key_Return);
        QTest::keyClick(child("SearchCat"), Qt::Key_Escape);
        QVERIFY(m_dialog->isVisible());
        QCOMPARE(categories(), before);
        QVERIFY(m_messages.shown().isEmpty());
    }

    void centresOnItsOwner() {
        QWidget owner;
        owner.setGeometry(100, 80, 1000, 800);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        Settings dialog(*m_context, &owner);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QPoint offset = dialog.frameGeometry().center() - owner.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4,
                 qPrintable(QString("off by %1,%2").arg(offset.x()).arg(offset.y())));
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
        const char* engineExists = "The Search Engine you entered already exists.";
        const char* noWord = "Please enter a word or website address to filter out.";
        const char* wordExists = "The filter word or URL you entered already exists in the filter list.";
        const char* noDot = "The file extension must have the \".\" in it and must not be empty.";
        const char* extExists = "The file extension you entered already exists for the selected Category.";
        const char* noLink = "Please enter a link to update the Search Engine.";
        const char* noKeyword = "You must replace the keyword in the URL with <!KW!>.";
        const char* noProtocol = "You must include the protocol (http:// or https://) in the URL.";
        const Row rows[] = {
            {"type empty", "", "SearchCat", "", "", "Add2", noType},
            {"type blanks", "", "SearchCat", "", "   ", "Add2", noType},
            {"type twice", "", "SearchCat", "Podcasts", "Podcasts", "Add2", typeExists},
            {"type other case, blanks", "", "SearchCat", "Podcasts", " PODCASTS ", "Add2", typeExists},
            {"engine empty", "", "SENG", "", "", "Add3", noEngine},
            {"engine blanks", "", "SENG", "", "\t ", "Add3", noEngine},
            {"engine other case", "", "SENG", "Finder", "fINDER", "Add3", engineExists},
            {"filter blanks", "", "AddFilter", "", "  ", "AddFilt", noWord},
            {"filter twice", "", "AddFilter", "ads", " ads ", "AddFilt", wordExists},
            {"ext empty", "MT", "Ext", "", "", "AddExt", noDot},
            {"ext without dot", "MT", "Ext", "", "mp3", "AddExt", noDot},
            {"ext twice", "MT", "Ext", ".mp3", " .mp3 ", "AddExt", extExists},
            {"link empty", "SE", "AddSELink", "", "", "Edit", noLink},
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
            enter(qPrintable(field), before, qPrintable(button));
        QVERIFY(m_messages.shown().isEmpty());
        const QStringList stored = snapshot();
        const QStringList filters = itemsOf(list("FilterWords"));
        QSignalSpy categorySignals(m_context.get(), &AppContext::categoriesChanged);
        QSignalSpy engineSignals(m_context.get(), &AppContext::enginesChanged);

        if (!field.isEmpty())
            child<QLineEdit>(qPrintable(field))->setText(text);
        click(qPrintable(button));

        QCOMPARE(m_messages.texts(), QStringList{message});
        QCOMPARE(m_messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QCOMPARE(snapshot(), stored);
        QCOMPARE(itemsOf(list("FilterWords")), filters);
        QCOMPARE(categorySignals.count() + engineSignals.count(), 0);
        if (!field.isEmpty()) {
            QCOMPARE(QApplication::focusWidget(), child(qPrintable(field)));
            QCOMPARE(child<QLineEdit>(qPrintable(field))->text(), text);
        }
    }

    void storedTrimmedWithQuotesUnchanged_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("type") << QString("MT") << QString("  Rock 'n' Roll  ") << QString("Rock 'n' Roll");
        QTest::newRow("engine") << QString("SE") << QString(" O'Brien's \"Finder\" ")
                                << QString("O'Brien's \"Finder\"");
        QTest::newRow("extension") << QString("FileExt") << QString(" .o'k ") << QString(".o'k");
        QTest::newRow("filter") << QString("FilterWords") << QString("  it's--ads  ") << QString("it's--ads");
    }
    void storedTrimmedWithQuotesUnchanged() {
        QFETCH(QString, group);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        openDialog();
        QSignalSpy categorySignals(m_context.get(), &AppContext::categoriesChanged);
        QSignalSpy engineSignals(m_context.get(), &AppContext::enginesChanged);
        if (group == "MT") {
            enter("SearchCat", typed, "Add2");
            QCOMPARE(categories().last(), stored);
            QCOMPARE(list("MT")->selectedItems().value(0)->text(), stored);
            QCOMPARE(categorySignals.count(), 1);
        } else if (group == "SE") {
            enter("SENG", typed, "Add3");
            QCOMPARE(engines().last(), stored);
            QCOMPARE(list("SE")->selectedItems().value(0)->text(), stored);
            QCOMPARE(engineSignals.count(), 1);
        } else if (group == "FileExt") {
            addFresh("MT");
            enter("Ext", typed, "AddExt");
            QCOMPARE(CategoryStore(m_context->db()).fileExtensions("Fresh").value(), stored);
        } else {
            enter("AddFilter", typed, "AddFilt");
            click("Command1");
            QVERIFY(storedFilters().contains(stored));
            QVERIFY(m_context->filters().contains(stored));
        }
        QVERIFY(m_messages.shown().isEmpty());

        // The next opening lists it exactly as stored.
        openDialog();
        if (group == "FileExt")
            list("MT")->setCurrentRow(itemsOf(list("MT")).indexOf("Fresh"));
        QVERIFY(itemsOf(list(qPrintable(group))).contains(stored));
    }

    void extensionsJoinedInOrderAndDeleted() {
        openDialog();
        addFresh("MT");
        QVERIFY(CategoryStore(m_context->db()).fileExtensions("Fresh")->isNull());
        enter("Ext", ".mp3", "AddExt");
        enter("Ext", ".ogg", "AddExt");
        QCOMPARE(CategoryStore(m_context->db()).fileExtensions("Fresh").value(), QString(".mp3,.ogg"));
        QVERIFY(child<QLineEdit>("Ext")->text().isEmpty());

        list("MT")->setCurrentRow(0);
        list("MT")->setCurrentRow(list("MT")->count() - 1);
        QCOMPARE(itemsOf(list("FileExt")), QStringList({".mp3", ".ogg"}));

        m_messages.answerNext(true);
        list("FileExt")->setCurrentRow(0);
        click("DelExt");
        QCOMPARE(CategoryStore(m_context->db()).fileExtensions("Fresh").value(), QString(".ogg"));
        m_messages.answerNext(true);
        list("FileExt")->setCurrentRow(0);
        click("DelExt");
        const QString left = CategoryStore(m_context->db()).fileExtensions("Fresh").value();
        QVERIFY(!left.isNull());
        QVERIFY(left.isEmpty());
        QCOMPARE(list("FileExt")->count(), 0);
        QCOMPARE(m_messages.texts(),
                 QStringList(2, "Are you sure you want to permanently delete the selected extension?"));
    }

    void storedExtensionsShown_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("never set (NULL)") << QString() << QStringList();
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("one, no comma") << ".flac" << QStringList{".flac"};
        QTest::newRow("empty piece kept") << ".a,,.b" << QStringList{".a", "", ".b"};
    }
    void storedExtensionsShown() {
        QFETCH(QString, stored);
        QFETCH(QStringList, shown);
        CategoryStore store(m_context->db());
        QVERIFY(store.add("Stored").ok());
        if (!stored.isNull())
            QVERIFY(store.setFileExtensions("Stored", stored).ok());
        openDialog();
        list("MT")->setCurrentRow(itemsOf(list("MT")).indexOf("Stored"));
        QCOMPARE(itemsOf(list("FileExt")), shown);
    }

    void acceptedLinks_data() {
        QTest::addColumn<QString>("link");
        QTest::newRow("https not at the start") << "go?to=https://e.example/?q=<!KW!>";
        QTest::newRow("http with quotes") << "http://e.example/s?q=<!KW!>&t='a\"b'";
        QTest::newRow("blanks kept") << " https://e.example/<!KW!> ";
    }
    void acceptedLinks() {
        QFETCH(QString, link);
        openDialog();
        addFresh("SE");
        enter("AddSELink", link, "Edit");
        QVERIFY(m_messages.shown().isEmpty());
        QCOMPARE(EngineStore(m_context->db()).startPage("Fresh").value(), link);
        QCOMPARE(itemsOf(list("SELink")), QStringList{link});
        QVERIFY(child<QLineEdit>("AddSELink")->text().isEmpty());

        openDialog();
        list("SE")->setCurrentRow(itemsOf(list("SE")).indexOf("Fresh"));
        QCOMPARE(itemsOf(list("SELink")), QStringList{link});
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
            QTest::addRow("type%s", answer) << QString("MT") << QString("Delete2") << type << yes;
            QTest::addRow("engine%s", answer) << QString("SE") << QString("Delete") << engine << yes;
            QTest::addRow("extension%s", answer) << QString("FileExt") << QString("DelExt") << ext << yes;
            QTest::addRow("filter%s", answer)
                << QString("FilterWords") << QString("FilterDel") << filter << yes;
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
        QVERIFY(m_messages.shown().isEmpty());
        QListWidget* target = list(qPrintable(listName));
        target->setCurrentRow(target->count() - 1);
        QStringList expected = itemsOf(target);
        if (yes)
            expected.removeLast();
        QSignalSpy categorySignals(m_context.get(), &AppContext::categoriesChanged);
        QSignalSpy engineSignals(m_context.get(), &AppContext::enginesChanged);
        const QStringList stored = snapshot();

        m_messages.answerNext(yes);
        click(qPrintable(button));

        QCOMPARE(m_messages.texts(), QStringList{question});
        QCOMPARE(m_messages.shown().first().kind, ScriptedMessages::Kind::Question);
        QCOMPARE(itemsOf(target), expected);
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

    void cancelKeepsOnlyImmediateWrites() {
        const QStringList filters = storedFilters();
        const QString connection = storedConnection();
        const QStringList loaded = m_context->filters();
        openDialog();
        enter("AddFilter", "ads", "AddFilt");
        child<QComboBox>("Connex")->setCurrentText(connection == "DSL" ? "T1" : "DSL");
        addFresh("MT");
        addFresh("SE");
        click("Command2");
        QCOMPARE(m_dialog->result(), int(QDialog::Rejected));
        QVERIFY(!m_dialog->isVisible());

        QCOMPARE(storedFilters(), filters);
        QCOMPARE(storedConnection(), connection);
        QCOMPARE(m_context->filters(), loaded);
        QVERIFY(categories().contains("Fresh"));
        QVERIFY(engines().contains("Fresh"));
        openDialog();
        QCOMPARE(itemsOf(list("FilterWords")), filters);
        QCOMPARE(child<QComboBox>("Connex")->currentText(), connection);
    }

    void okRewritesFiltersAndReloads() {
        QSignalSpy reloaded(m_context.get(), &AppContext::settingsReloaded);
        openDialog();
        const QStringList before = itemsOf(list("FilterWords"));
        enter("AddFilter", "tracker", "AddFilt");
        enter("AddFilter", "Ads", "AddFilt");
        enter("AddFilter", "ads", "AddFilt"); // letter case counts for filter words
        child<QComboBox>("Connex")->setCurrentText("ISDN");
        QVERIFY(m_messages.shown().isEmpty());
        click("Command1");
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));

        const QStringList expected = before + QStringList{"tracker", "Ads", "ads"};
        QCOMPARE(storedFilters(), expected);
        QCOMPARE(m_context->filters(), expected);
        QCOMPARE(storedConnection(), QString("ISDN"));
        QCOMPARE(m_context->connectionType().text, QString("ISDN"));
        QCOMPARE(reloaded.count(), 1);

        // Unchanged and confirmed again: the same rows, once each.
        openDialog();
        QCOMPARE(itemsOf(list("FilterWords")), expected);
        QCOMPARE(child<QComboBox>("Connex")->currentText(), QString("ISDN"));
        click("Command1");
        QCOMPARE(storedFilters(), expected);
    }

    void connectionShown_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        const std::pair<const char*, const char*> rows[] = {{"T2", "T2"},
                                                            {" Cable ", "Cable"},
                                                            {"Satellite", "Unknown"},
                                                            {"dsl", "Unknown"},
                                                            {"", "Unknown"}};
        for (const auto& [stored, shown] : rows)
            QTest::addRow("'%s'", stored) << QString(stored) << QString(shown);
    }
    void connectionShown() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QVERIFY(SettingsStore(m_context->db()).saveSettings(stored, {}).ok());
        openDialog();
        QCOMPARE(child<QComboBox>("Connex")->currentText(), shown);
    }

    // Stored texts as a user's hand or another version may have left them, and what the dialog shows.
    void crawlingShown_data() {
        QTest::addColumn<QStringList>("stored"); // SameSite ObeyRobots MaxPerHost HostDelayMs RetryAfter
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("nothing stored") << QStringList() << QStringList{"0", "0", "0", "0", "0"};
        QTest::newRow("all set") << QStringList{"true", "true", "4", "1500", "true"}
                                 << QStringList{"1", "1", "4", "1500", "1"};
        QTest::newRow("out of range")
            << QStringList{"1", "0", "-3", "999999", "false"} << QStringList{"1", "0", "0", "60000", "0"};
        QTest::newRow("not numbers") << QStringList{"yes", "maybe", "many", "", "2"}
                                     << QStringList{"0", "0", "0", "0", "0"};
    }
    void crawlingShown() {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, shown);
        const QStringList keys{"SameSite", "ObeyRobots", "MaxPerHost", "HostDelayMs", "RetryAfter"};
        {
            QSettings settings("Vorlane", "Vorlane");
            for (qsizetype i = 0; i < stored.size(); ++i)
                settings.setValue("Crawling/" + keys[i], stored[i]);
        }
        QVERIFY(m_context->loadSettings().ok());
        openDialog();
        const QStringList actual{QString::number(child<QCheckBox>("SameSite")->isChecked()),
                                 QString::number(child<QCheckBox>("ObeyRobots")->isChecked()),
                                 QString::number(child<QSpinBox>("MaxPerHost")->value()),
                                 QString::number(child<QSpinBox>("HostDelay")->value()),
                                 QString::number(child<QCheckBox>("RetryAfter")->isChecked())};
        QCOMPARE(actual, shown);
        QCOMPARE(m_context->urlEngine().crawlPolicy(), m_context->crawlPolicy());
    }

    void crawlingWrittenByOkOnly() {
        openDialog();
        child<QCheckBox>("SameSite")->setChecked(true);
        child<QCheckBox>("RetryAfter")->setChecked(true);
        child<QSpinBox>("MaxPerHost")->setValue(2);
        child<QSpinBox>("HostDelay")->setValue(700);
        click("Command2");
        QCOMPARE(LoadCrawlPolicy(), CrawlPolicy());
        QCOMPARE(m_context->crawlPolicy(), CrawlPolicy());

        openDialog();
        QVERIFY(!child<QCheckBox>("SameSite")->isChecked());
        child<QCheckBox>("ObeyRobots")->setChecked(true);
        child<QSpinBox>("HostDelay")->setValue(700);
        click("Command1");
        QCOMPARE(m_dialog->result(), int(QDialog::Accepted));
        CrawlPolicy expected;
        expected.obeyRobots = true;
        expected.delayMsPerHost = 700;
        QCOMPARE(LoadCrawlPolicy(), expected);
        QCOMPARE(m_context->crawlPolicy(), expected);
        QCOMPARE(m_context->urlEngine().crawlPolicy(), expected);
        QCOMPARE(m_context->webEngine().crawlPolicy(), expected);
    }

    void unreadableDatabaseDisablesOk() {
        m_started.database.close();
        openDialog();
        QCOMPARE(m_messages.shown().size(), 1);
        QCOMPARE(m_messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QVERIFY(!m_messages.last().isEmpty());
        QVERIFY(!child("Command1")->isEnabled());
        click("Command2");
        QVERIFY(!m_dialog->isVisible());
    }

    // Renders the dialog for the documentation when VORLANE_SETTINGS_SHOT names a file.
    void renders() {
        openDialog();
        list("MT")->setCurrentRow(0);
        list("SE")->setCurrentRow(0);
        for (const char* word : {"doubleclick", "/banners/", "tracker.example.com"})
            enter("AddFilter", word, "AddFilt");
        const QPixmap shot = m_dialog->grab();
        QVERIFY(!shot.isNull());
        if (const QString path = qEnvironmentVariable("VORLANE_SETTINGS_SHOT"); !path.isEmpty())
            QVERIFY(shot.save(path));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "test_settings_dialog.moc"
