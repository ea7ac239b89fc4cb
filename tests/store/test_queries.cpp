// The two reading helpers' contracts: no row versus a NULL column, and appending without clearing.

#include "store/queries.h"
#include "tests/support/temp_database.h"

#include <QtTest>

class TestQueries : public QObject {
    Q_OBJECT

private slots:
    void firstValue_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("null");
        QTest::addColumn<QString>("text");
        QTest::newRow("no row") << "SELECT CATEGORY FROM SEARCHCATEGORIES WHERE CATEGORY = 'none'" << false
                                << true << "";
        QTest::newRow("NULL column") << "SELECT NULL" << true << true << "";
        QTest::newRow("empty text") << "SELECT ''" << true << false << "";
        QTest::newRow("text") << "SELECT CAMPAIGNTYPE FROM CAMPAIGNTYPES WHERE CAMPTYPEID = 2" << true
                              << false << "Web Search";
        QTest::newRow("case-insensitive match")
            << "SELECT CATEGORY FROM SEARCHCATEGORIES WHERE CATEGORY = 'aUDIO'" << true << false << "Audio";
    }
    void firstValue() {
        QFETCH(QString, sql);
        QFETCH(bool, valid);
        QFETCH(bool, null);
        QFETCH(QString, text);
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        const auto value = QueryFirstValue(temp.connection(), sql);
        QVERIFY2(value.ok(), qPrintable(value.error()));
        QCOMPARE(value->isValid(), valid);
        QCOMPARE(value->isNull(), null);
        QCOMPARE(value->toString(), text);
    }

    void fillListAppends() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        const QString sql = "SELECT CAMPAIGNTYPE FROM CAMPAIGNTYPES ORDER BY CAMPTYPEID";
        QStringList list{"kept"};
        QVERIFY(FillList(temp.connection(), sql, list).ok());
        QVERIFY(FillList(temp.connection(), sql, list).ok());
        QCOMPARE(list, (QStringList{"kept", "URL Search", "Web Search", "URL Search", "Web Search"}));
        QVERIFY(FillList(temp.connection(), "SELECT FILTER FROM FILTERS", list).ok());
        QCOMPARE(list.size(), 5);
        QVERIFY(FillList(temp.connection(), "SELECT ? UNION ALL SELECT ?", list, {"it's", "ünï"}).ok());
        QCOMPARE(list.mid(5), (QStringList{"it's", "ünï"}));
    }

    void failuresCarryTheDatabaseText() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        QStringList list{"kept"};
        const auto filled = FillList(temp.connection(), "SELECT X FROM NO_SUCH_TABLE", list);
        QVERIFY(!filled.ok());
        QVERIFY2(filled.error().contains("NO_SUCH_TABLE"), qPrintable(filled.error()));
        QCOMPARE(list, QStringList{"kept"});
        QVERIFY(!QueryFirstValue(temp.connection(), "SELEC 1").ok());
    }
};

QTEST_GUILESS_MAIN(TestQueries)
#include "test_queries.moc"
