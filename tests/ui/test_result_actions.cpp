// The commands of a result list: copying addresses to the clipboard, exporting the shown rows through an
// injected file chooser, what leaves the list on a drag, and when each command is available.

#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "ui/result_actions.h"
#include "ui/result_list.h"
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(ExportFormat)

namespace {

// Three shown rows once filtered by "site", listed in arrival order; the fourth is on another host.
void fill(ResultList& list) {
    list.AddResultRow("b.mp3", "http://site.test/z/b.mp3", "http://site.test/");
    list.AddResultRow("C.ogg", "http://site.test/a/C,\"odd\".ogg", "http://site.test/");
    list.AddResultRow("x.wav", "http://other.test/x.wav", "http://other.test/");
    list.AddResultRow("a.wav", "http://site.test/m/a.wav", "http://site.test/x");
}

void selectRow(ResultList& list, int row) {
    list.setCurrentIndex(list.rows().index(row, 0));
    list.selectionModel()->select(list.rows().index(row, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

struct Shown {
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list{opener, messages};
    Shown() {
        list.resize(600, 300);
        list.show();
        list.setFocus();
    }
};

} // namespace

class TestResultActions : public QObject {
    Q_OBJECT
private slots:
    void copyByKey_data();
    void copyByKey();
    void exportWritesTheShownRows_data();
    void exportWritesTheShownRows();
    void cancelledOrFailedExport();
    void dragCarriesTheSelectedAddress_data();
    void dragCarriesTheSelectedAddress();
    void commandsFollowSelectionAndRows();
};

void TestResultActions::copyByKey_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("sortColumn"); // -1: arrival order
    QTest::addColumn<int>("selected");   // shown row, -1: none
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("all");

    const QString all = "http://site.test/z/b.mp3\nhttp://site.test/a/C,\"odd\".ogg\n"
                        "http://other.test/x.wav\nhttp://site.test/m/a.wav";
    QTest::newRow("arrival order") << "" << -1 << 1 << "http://site.test/a/C,\"odd\".ogg" << all;
    QTest::newRow("sorted by file")
        << "" << 0 << 0 << "http://site.test/m/a.wav"
        << "http://site.test/m/a.wav\nhttp://site.test/z/b.mp3\nhttp://site.test/a/C,\"odd\".ogg\n"
           "http://other.test/x.wav";
    QTest::newRow("filtered and sorted: shown rows only")
        << "SITE.test/" << 0 << 2 << "http://site.test/a/C,\"odd\".ogg"
        << "http://site.test/m/a.wav\nhttp://site.test/z/b.mp3\nhttp://site.test/a/C,\"odd\".ogg";
    QTest::newRow("no selection: the clipboard keeps its text") << "" << -1 << -1 << "before" << all;
}

void TestResultActions::copyByKey() {
    QFETCH(QString, filter);
    QFETCH(int, sortColumn);
    QFETCH(int, selected);
    QFETCH(QString, address);
    QFETCH(QString, all);
    Shown s;
    fill(s.list);
    if (sortColumn >= 0)
        s.list.headerClicked(sortColumn);
    s.list.setFilterText(filter);
    if (selected >= 0)
        selectRow(s.list, selected);
    QApplication::clipboard()->setText("before");
    QTest::keyClick(&s.list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), address);
    QTest::keyClick(&s.list, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), all);
}

void TestResultActions::exportWritesTheShownRows_data() {
    QTest::addColumn<QString>("name");   // as the chooser returns it
    QTest::addColumn<QString>("picked"); // filter entry picked in the dialog
    QTest::addColumn<QString>("written");
    QTest::addColumn<ExportFormat>("format");

    const QString csv = exportFilter(ExportFormat::Csv);
    const QString m3u = exportFilter(ExportFormat::M3u);
    QTest::newRow("suffix decides") << "out.jsonl" << csv << "out.jsonl" << ExportFormat::JsonLines;
    QTest::newRow("suffix decides, any case") << "out.M3U" << csv << "out.M3U" << ExportFormat::M3u;
    QTest::newRow("no suffix: the picked filter's") << "out" << csv << "out.csv" << ExportFormat::Csv;
    QTest::newRow("unknown suffix kept, picked format")
        << "out.list" << m3u << "out.list" << ExportFormat::M3u;
    QTest::newRow("nothing known: address list") << "out"
                                                 << ""
                                                 << "out.txt" << ExportFormat::PlainList;
}

void TestResultActions::exportWritesTheShownRows() {
    QFETCH(QString, name);
    QFETCH(QString, picked);
    QFETCH(QString, written);
    QFETCH(ExportFormat, format);
    QTemporaryDir dir;
    Shown s;
    fill(s.list);
    s.list.setCampaignLabel("7 - URL Search - http://site.test/");
    s.list.headerClicked(1); // by address, ascending
    s.list.setFilterText("site.test");
    int asked = 0;
    s.list.commands().setFileChooser([&](QWidget* parent, const QString&, const QString& filters) {
        ++asked;
        [&] {
            QCOMPARE(parent, &s.list);
            QCOMPARE(filters, exportFilters());
        }();
        return ExportTarget{dir.filePath(name), picked};
    });
    QTest::keyClick(&s.list, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(asked, 1);

    const QString campaign = "7 - URL Search - http://site.test/";
    const QList<ExportRow> expected = {
        {"C.ogg", "http://site.test/a/C,\"odd\".ogg", campaign, "http://site.test/"},
        {"a.wav", "http://site.test/m/a.wav", campaign, "http://site.test/x"},
        {"b.mp3", "http://site.test/z/b.mp3", campaign, "http://site.test/"},
    };
    QFile file(dir.filePath(written));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(written));
    QCOMPARE(file.readAll(), exportRows(expected, format));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
    QVERIFY(s.messages.shown().isEmpty());
}

void TestResultActions::cancelledOrFailedExport() {
    QTemporaryDir dir;
    Shown s;
    fill(s.list);
    QString path;
    s.list.commands().setFileChooser([&](QWidget*, const QString&, const QString&) {
        return ExportTarget{path, exportFilter(ExportFormat::Csv)};
    });
    s.list.commands().exportAction()->trigger(); // cancelled: empty path
    QVERIFY(s.messages.shown().isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());

    path = dir.filePath("missing/out.csv");
    s.list.commands().exportAction()->trigger();
    QCOMPARE(s.messages.shown().size(), 1);
    QCOMPARE(s.messages.shown().first().kind, ScriptedMessages::Kind::Critical);
    QVERIFY2(s.messages.last().contains("out.csv"), qPrintable(s.messages.last()));
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestResultActions::dragCarriesTheSelectedAddress_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("address"); // empty: no drag
    QTest::newRow("plain") << "" << 0 << "http://site.test/z/b.mp3";
    QTest::newRow("filtered: the shown row") << "wav" << 1 << "http://site.test/m/a.wav";
    QTest::newRow("an address the list would not open") << "javascript" << 0 << "";
}

void TestResultActions::dragCarriesTheSelectedAddress() {
    QFETCH(QString, filter);
    QFETCH(int, row);
    QFETCH(QString, address);
    Shown s;
    fill(s.list);
    s.list.AddResultRow("j.mp3", "javascript:alert(1)//j.mp3");
    s.list.setFilterText(filter);
    selectRow(s.list, row);
    // Every cell of the row is selected; the row must leave once.
    const QModelIndexList cells = s.list.selectionModel()->selectedIndexes();
    QCOMPARE(cells.size(), 3);
    QVERIFY(s.list.rows().supportedDragActions() & Qt::CopyAction);
    QVERIFY(s.list.rows().flags(cells.first()) & Qt::ItemIsDragEnabled);
    std::unique_ptr<QMimeData> data(s.list.rows().mimeData(cells));
    if (address.isEmpty()) {
        QVERIFY(!data);
        return;
    }
    QVERIFY(data);
    QCOMPARE(data->urls(), QList<QUrl>{QUrl(address)});
    QCOMPARE(data->text(), address);
}

void TestResultActions::commandsFollowSelectionAndRows() {
    Shown s;
    ResultActions& actions = s.list.commands();
    const QList<QAction*> menu = s.list.actions();
    QStringList texts;
    for (QAction* action : menu)
        texts << action->text();
    QCOMPARE(texts, (QStringList{"Open", "Copy address", "Copy all addresses", "Export…"}));
    QCOMPARE(s.list.contextMenuPolicy(), Qt::ActionsContextMenu);

    auto enabled = [&] {
        return QList<bool>{actions.openAction()->isEnabled(), actions.copyAddressAction()->isEnabled(),
                           actions.copyAllAction()->isEnabled(), actions.exportAction()->isEnabled()};
    };
    QCOMPARE(enabled(), (QList<bool>{false, false, false, false}));
    fill(s.list);
    QCOMPARE(enabled(), (QList<bool>{false, false, true, true}));
    selectRow(s.list, 0);
    QCOMPARE(enabled(), (QList<bool>{true, true, true, true}));
    s.list.setFilterText("nothing matches this");
    QCOMPARE(enabled(), (QList<bool>{false, false, false, false}));
    s.list.setFilterText("");
    QCOMPARE(enabled(), (QList<bool>{false, false, true, true}));
    s.list.ClearResultList();
    QCOMPARE(enabled(), (QList<bool>{false, false, false, false}));
}

QTEST_MAIN(TestResultActions)
#include "test_result_actions.moc"
