// The commands of a result list: copying addresses to the clipboard, exporting the shown rows through an
// injected file chooser, what leaves the list on a drag, and when each command is available.

#include "tests/support/shown_result_list.h"
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

const QString kOdd = "http://site.test/a/C,\"odd\".ogg";

// Three rows of site.test and one of another host, in arrival order; the list has the keyboard focus.
struct Shown : ShownResultList {
    Shown()
        : ShownResultList({{"b.mp3", "http://site.test/z/b.mp3", "http://site.test/"},
                           {"C.ogg", kOdd, "http://site.test/"},
                           {"x.wav", "http://other.test/x.wav", "http://other.test/"},
                           {"a.wav", "http://site.test/m/a.wav", "http://site.test/x"}}) {
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
    void dragCarriesTheSelectedAddress_data();
    void dragCarriesTheSelectedAddress();
    void commandsFollowSelectionAndRows();
};

void TestResultActions::copyByKey_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("sortColumn"); // -1: arrival order
    QTest::addColumn<int>("selected");   // shown row, -1: none
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("all");
    const QString a = "http://site.test/m/a.wav", b = "http://site.test/z/b.mp3",
                  x = "http://other.test/x.wav";
    QTest::newRow("arrival order") << "" << -1 << 1 << kOdd << QStringList{b, kOdd, x, a};
    QTest::newRow("sorted by file") << "" << 0 << 0 << a << QStringList{a, b, kOdd, x};
    QTest::newRow("filtered and sorted: shown rows only")
        << "SITE.test/" << 0 << 2 << kOdd << QStringList{a, b, kOdd};
    QTest::newRow("no selection: the clipboard keeps its text")
        << "" << -1 << -1 << "before" << QStringList{b, kOdd, x, a};
}

void TestResultActions::copyByKey() {
    QFETCH(QString, filter);
    QFETCH(int, sortColumn);
    QFETCH(int, selected);
    QFETCH(QString, address);
    QFETCH(QStringList, all);
    Shown s;
    if (sortColumn >= 0)
        s.list.headerClicked(sortColumn);
    s.list.setFilterText(filter);
    if (selected >= 0)
        s.select(selected);
    QApplication::clipboard()->setText("before");
    QTest::keyClick(&s.list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), address);
    QTest::keyClick(&s.list, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QApplication::clipboard()->text(), all.join('\n'));
}

void TestResultActions::exportWritesTheShownRows_data() {
    QTest::addColumn<QString>("name");    // as the chooser returns it; empty: cancelled
    QTest::addColumn<QString>("picked");  // filter entry picked in the dialog
    QTest::addColumn<QString>("written"); // empty: nothing written
    QTest::addColumn<ExportFormat>("format");
    const QString csv = exportFilter(ExportFormat::Csv), m3u = exportFilter(ExportFormat::M3u);
    QTest::newRow("suffix decides") << "out.jsonl" << csv << "out.jsonl" << ExportFormat::JsonLines;
    QTest::newRow("suffix decides, any case") << "out.M3U" << csv << "out.M3U" << ExportFormat::M3u;
    QTest::newRow("no suffix: the picked filter's") << "out" << csv << "out.csv" << ExportFormat::Csv;
    QTest::newRow("unknown suffix kept, picked format")
        << "out.list" << m3u << "out.list" << ExportFormat::M3u;
    QTest::newRow("nothing known: address list") << "out"
                                                 << ""
                                                 << "out.txt" << ExportFormat::PlainList;
    QTest::newRow("cancelled") << "" << csv << "" << ExportFormat::Csv;
    QTest::newRow("unwritable: a message") << "missing/out.csv" << csv << "" << ExportFormat::Csv;
}

void TestResultActions::exportWritesTheShownRows() {
    QFETCH(QString, name);
    QFETCH(QString, picked);
    QFETCH(QString, written);
    QFETCH(ExportFormat, format);
    QTemporaryDir dir;
    Shown s;
    const QString campaign = "7 - URL Search - http://site.test/";
    s.list.setCampaignLabel(campaign);
    s.list.headerClicked(1); // by address, ascending
    s.list.setFilterText("site.test");
    int asked = 0;
    s.list.commands().setFileChooser([&](QWidget* parent, const QString&, const QString& filters) {
        ++asked;
        [&] {
            QCOMPARE(parent, &s.list);
            QCOMPARE(filters, exportFilters());
        }();
        return ExportTarget{name.isEmpty() ? QString() : dir.filePath(name), picked};
    });
    QTest::keyClick(&s.list, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(asked, 1);

    if (written.isEmpty()) {
        QVERIFY(QDir(dir.path()).isEmpty());
        QCOMPARE(s.messages.shown().size(), name.isEmpty() ? 0 : 1);
        if (!name.isEmpty()) {
            QCOMPARE(s.messages.shown().first().kind, ScriptedMessages::Kind::Critical);
            QVERIFY2(s.messages.last().contains("out.csv"), qPrintable(s.messages.last()));
        }
        return;
    }
    const QList<ExportRow> expected = {{"C.ogg", kOdd, campaign, "http://site.test/"},
                                       {"a.wav", "http://site.test/m/a.wav", campaign, "http://site.test/x"},
                                       {"b.mp3", "http://site.test/z/b.mp3", campaign, "http://site.test/"}};
    QFile file(dir.filePath(written));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(written));
    QCOMPARE(file.readAll(), exportRows(expected, format));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
    QVERIFY(s.messages.shown().isEmpty());
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
    s.list.AddResultRow("j.mp3", "javascript:alert(1)//j.mp3");
    s.list.setFilterText(filter);
    s.select(row);
    // Every cell of the row is selected; the row must leave once.
    const QModelIndexList cells = s.list.selectionModel()->selectedIndexes();
    QCOMPARE(cells.size(), 3);
    QVERIFY(s.list.rows().supportedDragActions() & Qt::CopyAction);
    QVERIFY(s.list.rows().flags(cells.first()) & Qt::ItemIsDragEnabled);
    std::unique_ptr<QMimeData> data(s.list.rows().mimeData(cells));
    QCOMPARE(data != nullptr, !address.isEmpty());
    if (data) {
        QCOMPARE(data->urls(), QList<QUrl>{QUrl(address)});
        QCOMPARE(data->text(), address);
    }
}

void TestResultActions::commandsFollowSelectionAndRows() {
    Shown s;
    ResultActions& actions = s.list.commands();
    QStringList texts;
    for (QAction* action : s.list.actions())
        texts << action->text();
    QCOMPARE(texts, (QStringList{"Open", "Copy address", "Copy all addresses", "Export…"}));
    QCOMPARE(s.list.contextMenuPolicy(), Qt::ActionsContextMenu);

    auto enabled = [&] {
        return QList<bool>{actions.openAction()->isEnabled(), actions.copyAddressAction()->isEnabled(),
                           actions.copyAllAction()->isEnabled(), actions.exportAction()->isEnabled()};
    };
    const QList<bool> none{false, false, false, false}, rowsOnly{false, false, true, true};
    QCOMPARE(enabled(), rowsOnly);
    s.select(0);
    QCOMPARE(enabled(), (QList<bool>{true, true, true, true}));
    s.list.setFilterText("nothing matches this");
    QCOMPARE(enabled(), none);
    s.list.setFilterText("");
    QCOMPARE(enabled(), rowsOnly);
    s.list.ClearResultList();
    QCOMPARE(enabled(), none);
}

QTEST_MAIN(TestResultActions)
#include "test_result_actions.moc"
