// The result list widget: header-click sorting, opening rows, refusing unsafe schemes, icons per pattern.

#include "tests/support/shown_result_list.h"
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

struct Shown : ShownResultList {
    Shown()
        : ShownResultList({{"b.mp3", "http://site.test/z/b.mp3", "http://site.test/"},
                           {"C.ogg", "http://site.test/a/C.ogg", "http://site.test/"},
                           {"a.wav", "http://site.test/m/a.wav", "http://site.test/x"}}) {}
};

} // namespace

class TestResultList : public QObject {
    Q_OBJECT
private slots:
    void headerClicksFlipOneDirectionPerList_data();
    void headerClicksFlipOneDirectionPerList();
    void openByKeyOrDoubleClick_data();
    void openByKeyOrDoubleClick();
    void unsafeSchemesAreRefused_data();
    void unsafeSchemesAreRefused();
    void clearEmptiesAtOnce();
    void oneIconPerPattern();
};

void TestResultList::headerClicksFlipOneDirectionPerList_data() {
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("expected");
    const QString a = "http://site.test/a/C.ogg", m = "http://site.test/m/a.wav",
                  z = "http://site.test/z/b.mp3";
    QTest::newRow("File: ascending, case ignored")
        << QList<int>{0} << 0 << QStringList{"a.wav", "b.mp3", "C.ogg"};
    QTest::newRow("File twice: descending")
        << QList<int>{0, 0} << 0 << QStringList{"C.ogg", "b.mp3", "a.wav"};
    QTest::newRow("File then URL: one direction per list") << QList<int>{0, 1} << 1 << QStringList{z, m, a};
    QTest::newRow("URL three times: ascending") << QList<int>{1, 1, 1} << 1 << QStringList{a, m, z};
    QTest::newRow("Found on: equal keys keep arrival order")
        << QList<int>{2} << 0 << QStringList{"b.mp3", "C.ogg", "a.wav"};
}

void TestResultList::headerClicksFlipOneDirectionPerList() {
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

void TestResultList::openByKeyOrDoubleClick_data() {
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<int>("key");      // 0: double-click on the selected row, or below the last row
    QTest::addColumn<int>("sortBy");   // -1: arrival order
    QTest::addColumn<QString>("opened");
    QTest::newRow("Return") << 2 << int(Qt::Key_Return) << -1 << "http://site.test/m/a.wav";
    QTest::newRow("keypad Enter") << 2 << int(Qt::Key_Enter) << -1 << "http://site.test/m/a.wav";
    QTest::newRow("double-click") << 2 << 0 << -1 << "http://site.test/m/a.wav";
    QTest::newRow("selection follows its row when sorted")
        << 0 << int(Qt::Key_Return) << 1 << "http://site.test/z/b.mp3";
    QTest::newRow("Return without selection") << -1 << int(Qt::Key_Return) << -1 << "";
    QTest::newRow("double-click below the rows") << -1 << 0 << -1 << "";
    QTest::newRow("other keys") << 1 << int(Qt::Key_Space) << -1 << "";
}

void TestResultList::openByKeyOrDoubleClick() {
    QFETCH(int, selected);
    QFETCH(int, key);
    QFETCH(int, sortBy);
    QFETCH(QString, opened);
    Shown s;
    QVERIFY(QTest::qWaitForWindowExposed(&s.list));
    if (selected >= 0)
        s.select(selected);
    if (sortBy >= 0)
        s.list.headerClicked(sortBy);
    if (key) {
        QTest::keyClick(&s.list, Qt::Key(key));
        for (Qt::Key other : {Qt::Key_A, Qt::Key_Down, Qt::Key_Tab})
            if (opened.isEmpty())
                QTest::keyClick(&s.list, other);
    } else {
        const QPoint at = selected >= 0 ? s.list.visualRect(s.list.currentIndex()).center()
                                        : QPoint(10, s.list.viewport()->height() - 5);
        QTest::mouseDClick(s.list.viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(s.opener.opened(), opened.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl(opened)});
    QVERIFY(s.messages.shown().isEmpty());
}

void TestResultList::unsafeSchemesAreRefused_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("opened");
    QTest::newRow("http") << "http://site.test/a.mp3" << true;
    QTest::newRow("https, upper-case scheme") << "HTTPS://site.test/a.mp3" << true;
    QTest::newRow("ftp") << "ftp://files.test/a.mp3" << true;
    QTest::newRow("javascript") << "javascript:alert(1)//a.mp3" << false;
    QTest::newRow("file") << "file:///etc/passwd.mp3" << false;
    QTest::newRow("data") << "data:audio/mpeg;base64,AAAA.mp3" << false;
    QTest::newRow("custom handler") << "ms-settings:a.mp3" << false;
    QTest::newRow("no scheme") << "a.mp3" << false;
}

void TestResultList::unsafeSchemesAreRefused() {
    QFETCH(QString, address);
    QFETCH(bool, opened);
    Shown s;
    s.list.ClearResultList();
    s.list.AddResultRow("a.mp3", address);
    s.select(0);
    QTest::keyClick(&s.list, Qt::Key_Return);
    QCOMPARE(s.opener.opened().size(), opened ? 1 : 0);
    QCOMPARE(s.messages.shown().size(), opened ? 0 : 1);
    if (!opened) {
        QCOMPARE(s.messages.shown().first().kind, ScriptedMessages::Kind::Critical);
        QVERIFY(s.messages.last().contains(address));
    }
}

void TestResultList::clearEmptiesAtOnce() {
    Shown s;
    s.select(1);
    QSignalSpy reset(&s.list.rows(), &QAbstractItemModel::modelReset);
    s.list.ClearResultList();
    QCOMPARE(s.list.rowCount(), 0);
    QCOMPARE(reset.size(), 1);
    QTest::keyClick(&s.list, Qt::Key_Return);
    QVERIFY(s.opener.opened().isEmpty());
    s.list.ClearResultList(); // an empty list stays as it is
    QCOMPARE(s.list.rowCount(), 0);
}

void TestResultList::oneIconPerPattern() {
    QCOMPARE((QStringList{FileTypePattern("song.mp3"), FileTypePattern("song.live.mp3"),
                          FileTypePattern("dl"), FileTypePattern("odd."), FileTypePattern("")}),
             (QStringList{"*.mp3", "*.live.mp3", "*.dl", "*.", "*."}));
    RecordingOpener opener;
    ScriptedMessages messages;
    ResultList list(opener, messages); // the stored pictures outlive a cleared list, so a fresh one
    for (const char* name : {"a.mp3", "b.mp3", "c.avi", "d.live.mp3", "noext"})
        list.AddResultRow(name, QStringLiteral("http://s.test/") + name);
    QCOMPARE(list.rows().iconPatternCount(), 4);
    for (int i = 0; i < list.rowCount(); ++i) {
        const QIcon icon = list.rows().index(i, 0).data(Qt::DecorationRole).value<QIcon>();
        QVERIFY2(!icon.pixmap(16, 16).isNull(), qPrintable(list.rows().row(i).fileName));
    }
    // Rows of one pattern share the stored picture.
    QCOMPARE(list.rows().iconOf(0).cacheKey(), list.rows().iconOf(1).cacheKey());
}

QTEST_MAIN(TestResultList)
#include "test_result_list.moc"
