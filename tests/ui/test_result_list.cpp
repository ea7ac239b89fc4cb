// The result list widget: header-click sorting, opening rows, refusing unsafe schemes, icons per pattern.

#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "ui/result_list.h"
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList column(const ResultList& list, int column) {
    QStringList out;
    for (int i = 0; i < list.rowCount(); ++i)
        out << list.rows().index(i, column).data().toString();
    return out;
}

void fill(ResultList& list) {
    list.AddResultRow("b.mp3", "http://site.test/z/b.mp3", "http://site.test/");
    list.AddResultRow("C.ogg", "http://site.test/a/C.ogg", "http://site.test/");
    list.AddResultRow("a.wav", "http://site.test/m/a.wav", "http://site.test/x");
}

void selectRow(ResultList& list, int row) {
    list.setCurrentIndex(list.rows().index(row, 0));
    list.selectionModel()->select(list.rows().index(row, 0),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace

class TestResultList : public QObject {
    Q_OBJECT
private slots:
    void headerClicksFlipOneDirectionPerList_data();
    void headerClicksFlipOneDirectionPerList();
    void rowsAddedAfterSortingGoToTheirPlace();
    void selectionFollowsItsRowWhenSorting();
    void openByKeyOrDoubleClick_data();
    void openByKeyOrDoubleClick();
    void nothingOpensWithoutSelection();
    void otherKeysOpenNothing();
    void unsafeSchemesAreRefused_data();
    void unsafeSchemesAreRefused();
    void clearEmptiesAtOnce();
    void patternIsTakenAfterTheFirstDot_data();
    void patternIsTakenAfterTheFirstDot();
    void oneIconPerPattern();
    void columnsAndHint();
};

void TestResultList::headerClicksFlipOneDirectionPerList_data() {
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("first click on File sorts ascending, case ignored")
        << QList<int>{0} << 0 << QStringList{"a.wav", "b.mp3", "C.ogg"};
    QTest::newRow("second click on File sorts descending")
        << QList<int>{0, 0} << 0 << QStringList{"C.ogg", "b.mp3", "a.wav"};
    QTest::newRow("File then File URL: URL in the opposite direction")
        << QList<int>{0, 1} << 1
        << QStringList{"http://site.test/z/b.mp3", "http://site.test/m/a.wav", "http://site.test/a/C.ogg"};
    QTest::newRow("three clicks on File URL: ascending again")
        << QList<int>{1, 1, 1} << 1
        << QStringList{"http://site.test/a/C.ogg", "http://site.test/m/a.wav", "http://site.test/z/b.mp3"};
    QTest::newRow("Found on, equal keys keep arrival order")
        << QList<int>{2} << 0 << QStringList{"b.mp3", "C.ogg", "a.wav"};
}

void TestResultList::headerClicksFlipOneDirectionPerList() {
    QFETCH(QList<int>, clicks);
    QFETCH(int, column);
    QFETCH(QStringList, expected);
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    list.resize(600, 300);
    list.show();
    fill(list);
    for (int c : clicks) {
        // A real click on the header section, as a user makes it.
        QHeaderView* header = list.header();
        const int x = header->sectionViewportPosition(c) + header->sectionSize(c) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }
    QCOMPARE(list.rows().sortColumn(), clicks.last());
    QCOMPARE(::column(list, column), expected);
}

void TestResultList::rowsAddedAfterSortingGoToTheirPlace() {
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    fill(list);
    list.headerClicked(0);
    list.headerClicked(0); // descending
    list.AddResultRow("d.mp3", "http://site.test/d.mp3");
    list.addResultRows({{"0.mp3", "http://site.test/0.mp3", {}}, {"zz.mp3", "http://site.test/zz.mp3", {}}});
    QList<ResultRow> many;
    for (int i = 0; i < 100; ++i)
        many.append({QStringLiteral("m%1.mp3").arg(i, 3, 10, QLatin1Char('0')), "http://site.test/m", {}});
    list.addResultRows(many);
    const QStringList names = column(list, 0);
    QCOMPARE(names.size(), 106);
    QCOMPARE(names.first(), QStringLiteral("zz.mp3"));
    QCOMPARE(names.mid(1, 3), (QStringList{"m099.mp3", "m098.mp3", "m097.mp3"}));
    QCOMPARE(names.last(), QStringLiteral("0.mp3"));
    for (int i = 1; i < names.size(); ++i)
        QVERIFY2(names[i - 1].compare(names[i], Qt::CaseInsensitive) >= 0, qPrintable(names[i]));
}

void TestResultList::selectionFollowsItsRowWhenSorting() {
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    fill(list);
    selectRow(list, 0); // b.mp3
    list.headerClicked(1);
    list.OpenSelectedResult();
    QCOMPARE(opener.opened(), QList<QUrl>{QUrl("http://site.test/z/b.mp3")});
}

void TestResultList::openByKeyOrDoubleClick_data() {
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << false << int(Qt::Key_Return);
    QTest::newRow("Enter on the keypad") << false << int(Qt::Key_Enter);
    QTest::newRow("double-click") << true << 0;
}

void TestResultList::openByKeyOrDoubleClick() {
    QFETCH(bool, doubleClick);
    QFETCH(int, key);
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    list.resize(600, 300);
    list.show();
    fill(list);
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    if (doubleClick) {
        const QRect cell = list.visualRect(list.rows().index(2, 0));
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, cell.center());
    } else {
        selectRow(list, 2);
        QTest::keyClick(&list, Qt::Key(key));
    }
    QCOMPARE(opener.opened(), QList<QUrl>{QUrl("http://site.test/m/a.wav")});
    QVERIFY(messages.shown().isEmpty());
}

void TestResultList::nothingOpensWithoutSelection() {
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    list.resize(600, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    fill(list);
    list.clearSelection();
    QTest::keyClick(&list, Qt::Key_Return);
    // A double-click below the last row hits no row and leaves nothing selected.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(10, list.viewport()->height() - 5));
    QVERIFY(list.selectionModel()->selectedRows().isEmpty());
    QVERIFY(opener.opened().isEmpty());
    QVERIFY(messages.shown().isEmpty());
}

void TestResultList::otherKeysOpenNothing() {
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    fill(list);
    selectRow(list, 1);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_A, Qt::Key_Down, Qt::Key_Tab})
        QTest::keyClick(&list, key);
    QVERIFY(opener.opened().isEmpty());
}

void TestResultList::unsafeSchemesAreRefused_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("opened");
    QTest::newRow("http") << "http://site.test/a.mp3" << true;
    QTest::newRow("https, upper-case scheme") << "HTTPS://site.test/a.mp3" << true;
    QTest::newRow("ftp") << "ftp://files.test/a.mp3" << true;
    QTest::newRow("javascript") << "javascript:alert(1)//a.mp3" << false;
    QTest::newRow("file") << "file:///etc/passwd.mp3" << false;
    QTest::newRow("smb share") << "smb://host/share/a.mp3" << false;
    QTest::newRow("data") << "data:audio/mpeg;base64,AAAA.mp3" << false;
    QTest::newRow("custom handler") << "ms-settings:a.mp3" << false;
    QTest::newRow("no scheme") << "a.mp3" << false;
}

void TestResultList::unsafeSchemesAreRefused() {
    QFETCH(QString, address);
    QFETCH(bool, opened);
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    list.AddResultRow("a.mp3", address);
    selectRow(list, 0);
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(opener.opened().size(), opened ? 1 : 0);
    QCOMPARE(messages.shown().size(), opened ? 0 : 1);
    if (!opened) {
        QCOMPARE(messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QVERIFY(messages.last().contains(address));
    }
}

void TestResultList::clearEmptiesAtOnce() {
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    list.ClearResultList(); // an empty list stays as it is
    QCOMPARE(list.rowCount(), 0);
    fill(list);
    selectRow(list, 1);
    QSignalSpy reset(&list.rows(), &QAbstractItemModel::modelReset);
    list.ClearResultList();
    QCOMPARE(list.rowCount(), 0);
    QCOMPARE(reset.size(), 1);
    QTest::keyClick(&list, Qt::Key_Return);
    QVERIFY(opener.opened().isEmpty());
}

void TestResultList::patternIsTakenAfterTheFirstDot_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("plain") << "song.mp3"
                           << "*.mp3";
    QTest::newRow("several dots") << "song.live.mp3"
                                  << "*.live.mp3";
    QTest::newRow("no dot") << "download"
                            << "*.download";
    QTest::newRow("trailing dot") << "odd."
                                  << "*.";
    QTest::newRow("empty name") << ""
                                << "*.";
}

void TestResultList::patternIsTakenAfterTheFirstDot() {
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QCOMPARE(FileTypePattern(name), pattern);
}

void TestResultList::oneIconPerPattern() {
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    list.AddResultRow("a.mp3", "http://s.test/a.mp3");
    list.AddResultRow("b.mp3", "http://s.test/b.mp3");
    list.AddResultRow("c.avi", "http://s.test/c.avi");
    list.AddResultRow("d.live.mp3", "http://s.test/d.live.mp3");
    list.AddResultRow("noext", "http://s.test/noext");
    QCOMPARE(list.rows().iconPatternCount(), 4);
    for (int i = 0; i < list.rowCount(); ++i) {
        const QIcon icon = list.rows().index(i, 0).data(Qt::DecorationRole).value<QIcon>();
        QVERIFY2(!icon.pixmap(16, 16).isNull(), qPrintable(list.rows().row(i).fileName));
    }
    // Rows of one pattern share the stored picture.
    QCOMPARE(list.rows().iconOf(0).cacheKey(), list.rows().iconOf(1).cacheKey());
}

void TestResultList::columnsAndHint() {
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages);
    fill(list);
    QStringList headers;
    for (int c = 0; c < list.rows().columnCount(); ++c)
        headers << list.rows().headerData(c, Qt::Horizontal).toString();
    QCOMPARE(headers, (QStringList{"File", "File URL", "Found on"}));
    QCOMPARE(list.toolTip(), QStringLiteral("Double-click or hit Enter on item to download"));
    QCOMPARE(list.rows().index(1, 1).data(Qt::ToolTipRole).toString(), list.toolTip());
    QCOMPARE(list.rows().index(2, 2).data().toString(), QStringLiteral("http://site.test/x"));
}

QTEST_MAIN(TestResultList)
#include "test_result_list.moc"
