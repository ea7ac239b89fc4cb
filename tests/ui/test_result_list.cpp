// A result list on screen with its quick filter bar: header-click sorting, opening rows and refusing
// unsafe schemes, icons per pattern, copying, exporting and dragging the shown rows, and filter counts.

#include "tests/support/shown_result_list.h"
#include "tests/support/table_rows.h"
#include "ui/quick_filter_bar.h"
#include "ui/result_actions.h"
#include "ui/result_list.h"
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <tuple>

using namespace vorlane;

Q_DECLARE_METATYPE(vorlane::ui::ExportFormat)

namespace {

const QString kOdd = "http://site.test/a/C,\"odd\".ogg";
const QString kA = "http://site.test/m/a.wav", kB = "http://site.test/z/b.mp3",
              kX = "http://other.test/x.wav";

// Three rows of site.test and one of another host, in arrival order; the list has the keyboard focus and
// a (hidden) quick filter bar attached.
struct Shown : ShownResultList {
    ui::QuickFilterBar bar;
    Shown()
        : ShownResultList({{"b.mp3", kB, "http://site.test/"},
                           {"C.ogg", kOdd, "http://site.test/"},
                           {"x.wav", kX, "http://other.test/"},
                           {"a.wav", kA, "http://site.test/x"}}) {
        bar.setList(&list);
        list.setFocus();
    }
};

QStringList column(const ui::ResultList& list, int column) {
    QStringList out;
    for (int i = 0; i < list.rowCount(); ++i)
        out << list.rows().index(i, column).data().toString();
    return out;
}

} // namespace

class TestResultList : public QObject {
    Q_OBJECT
private slots:
    void headerClicksFlipOneDirectionPerList_data() {
        addColumns<QList<int>, int, QStringList>({"clicks", "column", "expected"});
        QTest::newRow("File: ascending, case ignored")
            << QList<int>{0} << 0 << QStringList{"a.wav", "b.mp3", "C.ogg", "x.wav"};
        QTest::newRow("File twice: descending")
            << QList<int>{0, 0} << 0 << QStringList{"x.wav", "C.ogg", "b.mp3", "a.wav"};
        QTest::newRow("File then URL: one direction per list")
            << QList<int>{0, 1} << 1 << QStringList{kB, kA, kOdd, kX};
        QTest::newRow("URL three times: ascending")
            << QList<int>{1, 1, 1} << 1 << QStringList{kX, kOdd, kA, kB};
        QTest::newRow("Found on: equal keys keep arrival order")
            << QList<int>{2} << 0 << QStringList{"x.wav", "b.mp3", "C.ogg", "a.wav"};
    }
    void headerClicksFlipOneDirectionPerList() {
        QFETCH(QList<int>, clicks);
        QFETCH(int, column);
        QFETCH(QStringList, expected);
        Shown s;
        QHeaderView* header = s.list.header();
        for (int c : clicks) {
            const int x = header->sectionViewportPosition(c) + header->sectionSize(c) / 2;
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        }
        QCOMPARE(s.list.rows().sortColumn(), clicks.last());
        QCOMPARE(::column(s.list, column), expected);
    }

    // Only http, https and ftp addresses reach the opener; any other scheme is refused with a message.
    void openByKeyOrDoubleClick_data() {
        // selected: -1 for none; key: 0 for a double-click on the selected row, or below the last row;
        // sortBy: -1 for arrival order; only: when set, the list holds just one row of this address
        addColumns<int, int, int, QString, QString, QString>(
            {"selected", "key", "sortBy", "filter", "only", "opened"});
        const int enter = Qt::Key_Return;
        const QString no;
        QTest::newRow("Return") << 3 << enter << -1 << no << no << kA;
        QTest::newRow("keypad Enter") << 3 << int(Qt::Key_Enter) << -1 << no << no << kA;
        QTest::newRow("double-click") << 3 << 0 << -1 << no << no << kA;
        QTest::newRow("selection follows its row when sorted") << 0 << enter << 1 << no << no << kB;
        QTest::newRow("and when filtered") << 3 << 0 << 0 << QString("wav") << no << kA;
        QTest::newRow("selected row filtered out") << 3 << enter << -1 << QString("ogg") << no << no;
        QTest::newRow("Return without selection") << -1 << enter << -1 << no << no << no;
        QTest::newRow("double-click below the rows") << -1 << 0 << -1 << no << no << no;
        QTest::newRow("other keys") << 1 << int(Qt::Key_Space) << -1 << no << no << no;
        for (const QString safe :
             {"http://site.test/a.mp3", "HTTPS://site.test/a.mp3", "ftp://files.test/a.mp3"})
            QTest::newRow(qPrintable(safe)) << 0 << enter << -1 << no << safe << safe;
        for (const QString unsafe : {"javascript:alert(1)//a.mp3", "file:///etc/passwd.mp3",
                                     "data:audio/mpeg;base64,AAAA.mp3", "ms-settings:a.mp3", "a.mp3"})
            QTest::newRow(qPrintable(unsafe)) << 0 << enter << -1 << no << unsafe << no;
    }
    void openByKeyOrDoubleClick() {
        QFETCH(int, selected);
        QFETCH(int, key);
        QFETCH(int, sortBy);
        QFETCH(QString, filter);
        QFETCH(QString, only);
        QFETCH(QString, opened);
        Shown s;
        QVERIFY(QTest::qWaitForWindowExposed(&s.list));
        if (!only.isEmpty()) {
            s.list.clearResultList();
            s.list.addResultRow("a.mp3", only);
        }
        if (selected >= 0)
            s.select(selected);
        if (sortBy >= 0)
            s.list.headerClicked(sortBy);
        s.bar.box()->setText(filter);
        if (key) {
            QTest::keyClick(&s.list, Qt::Key(key));
            for (Qt::Key other : {Qt::Key_A, Qt::Key_Down, Qt::Key_Tab})
                if (opened.isEmpty() && only.isEmpty())
                    QTest::keyClick(&s.list, other);
        } else {
            const QPoint at = selected >= 0 ? s.list.visualRect(s.list.currentIndex()).center()
                                            : QPoint(10, s.list.viewport()->height() - 5);
            QTest::mouseDClick(s.list.viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(s.opener.opened(), opened.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl(opened)});
        const bool refused = !only.isEmpty() && opened.isEmpty();
        QCOMPARE(s.messages.texts().filter(only).size(), refused ? 1 : 0);
        QCOMPARE(s.messages.shown().size(), refused ? 1 : 0);
    }

    void oneIconPerPattern() {
        QCOMPARE(
            (QStringList{ui::fileTypePattern("song.mp3"), ui::fileTypePattern("song.live.mp3"),
                         ui::fileTypePattern("dl"), ui::fileTypePattern("odd."), ui::fileTypePattern("")}),
            (QStringList{"*.mp3", "*.live.mp3", "*.dl", "*.", "*."}));
        RecordingOpener opener;
        ScriptedMessages messages;
        ui::ResultList list(opener, messages); // the stored pictures outlive a cleared list, so a fresh one
        for (const char* name : {"a.mp3", "b.mp3", "c.avi", "d.live.mp3", "noext"})
            list.addResultRow(name, QStringLiteral("http://s.test/") + name);
        QCOMPARE(list.rows().iconPatternCount(), 4);
        for (int i = 0; i < list.rowCount(); ++i)
            QVERIFY2(!list.rows().index(i, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16).isNull(),
                     qPrintable(list.rows().row(i).fileName));
        // Rows of one pattern share the stored picture.
        QCOMPARE(list.rows().iconOf(0).cacheKey(), list.rows().iconOf(1).cacheKey());
    }

    void copyByKey_data() {
        // sortColumn: -1 for arrival order; selected: a shown row, -1 for none
        addColumns<QString, int, int, QString, QStringList>(
            {"filter", "sortColumn", "selected", "address", "all"});
        QTest::newRow("arrival order") << "" << -1 << 1 << kOdd << QStringList{kB, kOdd, kX, kA};
        QTest::newRow("sorted by file") << "" << 0 << 0 << kA << QStringList{kA, kB, kOdd, kX};
        QTest::newRow("filtered and sorted: shown rows only")
            << "SITE.test/" << 0 << 2 << kOdd << QStringList{kA, kB, kOdd};
        QTest::newRow("no selection: the clipboard keeps its text")
            << "" << -1 << -1 << "before" << QStringList{kB, kOdd, kX, kA};
    }
    void copyByKey() {
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

    // The shown rows go out through an injected file chooser; the file's suffix, else the picked filter,
    // decides the format.
    void exportWritesTheShownRows_data() {
        // name: as the chooser returns it, empty when cancelled; picked: the filter entry picked in the
        // dialog; written: empty when nothing is written
        addColumns<QString, QString, QString, ui::ExportFormat>({"name", "picked", "written", "format"});
        const QString csv = ui::exportFilter(ui::ExportFormat::Csv),
                      m3u = ui::exportFilter(ui::ExportFormat::M3u);
        QTest::newRow("suffix decides") << "out.jsonl" << csv << "out.jsonl" << ui::ExportFormat::JsonLines;
        QTest::newRow("suffix decides, any case") << "out.M3U" << csv << "out.M3U" << ui::ExportFormat::M3u;
        QTest::newRow("no suffix: the picked filter's") << "out" << csv << "out.csv" << ui::ExportFormat::Csv;
        QTest::newRow("unknown suffix kept, picked format")
            << "out.list" << m3u << "out.list" << ui::ExportFormat::M3u;
        QTest::newRow("nothing known: address list")
            << "out" << QString() << "out.txt" << ui::ExportFormat::PlainList;
        QTest::newRow("cancelled") << "" << csv << "" << ui::ExportFormat::Csv;
        QTest::newRow("unwritable: a message") << "missing/out.csv" << csv << "" << ui::ExportFormat::Csv;
    }
    void exportWritesTheShownRows() {
        QFETCH(QString, name);
        QFETCH(QString, picked);
        QFETCH(QString, written);
        QFETCH(ui::ExportFormat, format);
        QTemporaryDir dir;
        Shown s;
        const QString campaign = "7 - URL Search - http://site.test/";
        s.list.setCampaignLabel(campaign);
        s.list.headerClicked(1); // by address, ascending
        s.list.setFilterText("site.test");
        int asked = 0;
        s.list.commands().setFileChooser([&](QWidget* parent, const QString&, const QString& filters) {
            asked += parent == &s.list && filters == ui::exportFilters() ? 1 : 100;
            return ui::ExportTarget{name.isEmpty() ? QString() : dir.filePath(name), picked};
        });
        QTest::keyClick(&s.list, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(asked, 1);

        const bool refused = !name.isEmpty() && written.isEmpty();
        QCOMPARE(s.messages.texts().filter("out.csv").size(), refused ? 1 : 0);
        QCOMPARE(s.messages.shown().size(), refused ? 1 : 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 written.isEmpty() ? QStringList() : QStringList{written});
        if (written.isEmpty())
            return;
        QFile file(dir.filePath(written));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(written));
        QCOMPARE(file.readAll(), ui::exportRows({{"C.ogg", kOdd, campaign, "http://site.test/"},
                                                 {"a.wav", kA, campaign, "http://site.test/x"},
                                                 {"b.mp3", kB, campaign, "http://site.test/"}},
                                                format));
    }

    // The selected shown row drags out once as its address (all its cells are selected); a row the list
    // would not open does not drag.
    void dragCarriesTheSelectedAddress() {
        Shown s;
        s.list.addResultRow("j.mp3", "javascript:alert(1)//j.mp3");
        QVERIFY(s.list.rows().supportedDragActions() & Qt::CopyAction);
        for (const auto& [filter, row, address] :
             {std::tuple<QString, int, QString>{"wav", 1, kA}, {"javascript", 0, {}}}) {
            s.list.setFilterText(filter);
            s.select(row);
            const QModelIndexList cells = s.list.selectionModel()->selectedIndexes();
            QCOMPARE(cells.size(), 3);
            QVERIFY(s.list.rows().flags(cells.first()) & Qt::ItemIsDragEnabled);
            std::unique_ptr<QMimeData> data(s.list.rows().mimeData(cells));
            QCOMPARE(data ? data->urls() : QList<QUrl>(),
                     address.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(address)});
            QCOMPARE(data ? data->text() : QString(), address);
        }
    }

    void commandsFollowSelectionAndRows() {
        Shown s;
        QStringList texts;
        for (QAction* action : s.list.actions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{"Open", "Copy address", "Copy all addresses", "Export…", "Download",
                                     "Download all shown"}));
        QCOMPARE(s.list.contextMenuPolicy(), Qt::ActionsContextMenu);
        auto enabled = [&] {
            QList<bool> out;
            for (QAction* action : s.list.actions())
                out << action->isEnabled();
            return out;
        };
        const QList<bool> none{false, false, false, false, false, false},
            rowsOnly{false, false, true, true, false, true};
        QCOMPARE(enabled(), rowsOnly);
        s.select(0);
        QCOMPARE(enabled(), (QList<bool>(6, true)));
        s.list.setFilterText("nothing matches this");
        QCOMPARE(enabled(), none);
        s.list.setFilterText("");
        QCOMPARE(enabled(), rowsOnly);

        // Clearing empties the list at once, selection included; an empty list stays as it is.
        s.select(1);
        QSignalSpy reset(&s.list.rows(), &QAbstractItemModel::modelReset);
        s.list.clearResultList();
        s.list.clearResultList();
        QCOMPARE(s.list.rowCount(), 0);
        QCOMPARE(reset.size(), 1);
        QCOMPARE(enabled(), none);
        QTest::keyClick(&s.list, Qt::Key_Return);
        QVERIFY(s.opener.opened().isEmpty());
    }

    void filterCountsWhileTyping_data() {
        // steps: text to type, or "<" for one backspace; shown: after the last step, arrival order
        addColumns<QStringList, QStringList, QStringList>({"steps", "counts", "shown"});
        QTest::newRow("narrowing letter by letter, case ignored")
            << QStringList{"O", "t", "H"} << QStringList{"2 of 4", "1 of 4", "1 of 4"}
            << QStringList{"x.wav"};
        QTest::newRow("found-on page counts")
            << QStringList{"SITE.TEST/X"} << QStringList{"1 of 4"} << QStringList{"a.wav"};
        QTest::newRow("backspace widens, emptied box shows all")
            << QStringList{"mp3x", "<", "<", "<", "<"}
            << QStringList{"0 of 4", "1 of 4", "1 of 4", "2 of 4", "4 of 4"}
            << QStringList{"b.mp3", "C.ogg", "x.wav", "a.wav"};
        QTest::newRow("spaces around do not count")
            << QStringList{"  ogg "} << QStringList{"1 of 4"} << QStringList{"C.ogg"};
    }
    void filterCountsWhileTyping() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, counts);
        QFETCH(QStringList, shown);
        Shown s;
        QCOMPARE(s.bar.countText(), QStringLiteral("4 of 4 shown"));
        QStringList seen;
        for (const QString& step : steps) {
            if (step == "<")
                QTest::keyClick(s.bar.box(), Qt::Key_Backspace);
            else
                QTest::keyClicks(s.bar.box(), step);
            seen << s.bar.countText().chopped(6); // " shown"
        }
        QCOMPARE(seen, counts);
        QCOMPARE(column(s.list, 0), shown);
        QTest::keyClick(s.bar.box(), Qt::Key_Escape); // brings every row back
        QCOMPARE(s.list.rowCount(), 4);
    }

    // Rows that arrive, one by one or in a batch, while the list is sorted and filtered show in their
    // place when they match and come back when the filter goes.
    void filterHoldsThroughSortingAndArrivals() {
        Shown s;
        s.list.headerClicked(0);
        s.bar.box()->setText("site.test");
        s.list.addResultRow("d.mp3", "http://site.test/d.mp3");
        s.list.addResultRows({{"0.ogg", "http://site.test/0.ogg", ""},
                              {"y.mp3", "http://else.test/y.mp3", ""},
                              {"c.wav", "http://SITE.test/c.wav", ""}});
        QCOMPARE(column(s.list, 0), (QStringList{"0.ogg", "a.wav", "b.mp3", "C.ogg", "c.wav", "d.mp3"}));
        QCOMPARE(s.bar.countText(), QStringLiteral("6 of 8 shown"));
        s.list.headerClicked(0);
        s.bar.box()->clear();
        QCOMPARE(column(s.list, 0),
                 (QStringList{"y.mp3", "x.wav", "d.mp3", "c.wav", "C.ogg", "b.mp3", "a.wav", "0.ogg"}));
        QCOMPARE(s.bar.countText(), QStringLiteral("8 of 8 shown"));
    }
};

QTEST_MAIN(TestResultList)
#include "test_result_list.moc"
