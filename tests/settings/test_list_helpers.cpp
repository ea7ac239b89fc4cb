// The list operations behind the media-type extension list: membership and the FILEEXT round trip.

#include "settings/list_helpers.h"
#include <QTest>

class TestListHelpers : public QObject {
    Q_OBJECT
private slots:
    void contains_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<bool>("caseBlind");
        QTest::newRow("empty list") << QStringList() << "x" << false << false;
        QTest::newRow("empty text, no empty item") << QStringList{"a"} << "" << false << false;
        QTest::newRow("last item") << QStringList{"a", "b", "c"} << "c" << true << true;
        QTest::newRow("other case") << QStringList{"Music"} << "music" << false << true;
        QTest::newRow("substring is no match") << QStringList{".mp3"} << "mp3" << false << false;
        QTest::newRow("blanks count") << QStringList{"a"} << " a" << false << false;
    }
    void contains() {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QFETCH(bool, exact);
        QFETCH(bool, caseBlind);
        QCOMPARE(ListContains(items, text), exact);
        QCOMPARE(ListContains(items, text, Qt::CaseInsensitive), caseBlind);
    }

    void joinAndSplit_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("joined");
        QTest::newRow("none") << QStringList() << "";
        QTest::newRow("one") << QStringList{".mp3"} << ".mp3";
        QTest::newRow("order kept") << QStringList{".ogg", ".mp3", ".wav"} << ".ogg,.mp3,.wav";
        QTest::newRow("empty piece kept") << QStringList{".a", "", ".b"} << ".a,,.b";
        QTest::newRow("quote") << QStringList{".o'k"} << ".o'k";
    }
    void joinAndSplit() {
        QFETCH(QStringList, items);
        QFETCH(QString, joined);
        QCOMPARE(JoinList(items), joined);
        QCOMPARE(ExtensionItems(joined), items);
    }

    void nullTextGivesNoItem() { QVERIFY(ExtensionItems(QString()).isEmpty()); }
};

QTEST_GUILESS_MAIN(TestListHelpers)
#include "test_list_helpers.moc"
