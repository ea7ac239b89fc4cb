// Search engines on a real database: links, NULL until set, and the engines a search runs on.

#include "store/engine_store.h"
#include "tests/support/temp_database.h"

#include <QtTest>

class TestEngineStore : public QObject {
    Q_OBJECT

private slots:
    void enginesForSearch_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("all") << QString(kAllEngines) << QStringList{"Seeded", "Mine", "Bare"};
        QTest::newRow("one, other case") << "MINE" << QStringList{"Mine"};
        QTest::newRow("none") << "Nobody" << QStringList();
    }
    void enginesForSearch() {
        QFETCH(QString, choice);
        QFETCH(QStringList, expected);
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        EngineStore store(temp.connection());
        const QStringList seeded = store.names().value();
        for (const QString& name : seeded)
            QVERIFY(store.remove(name).ok());
        QVERIFY(store.add("Seeded").ok());
        QVERIFY(store.setStartPage("seeded", "http://s.test/?q=<!KW!>").ok());
        QVERIFY(store.add("Mine").ok());
        QVERIFY(store.setStartPage("Mine", "http://m.test/?q='<!KW!>'&x=ü").ok());
        QVERIFY(store.add("Bare").ok());

        const auto engines = store.enginesForSearch(choice);
        QVERIFY2(engines.ok(), qPrintable(engines.error()));
        QStringList names;
        for (const EngineLink& engine : *engines) {
            names << engine.name;
            QCOMPARE(engine.startPage, store.startPage(engine.name).value());
        }
        QCOMPARE(names, expected);
        QCOMPARE(store.startPage("Mine").value(), QStringLiteral("http://m.test/?q='<!KW!>'&x=ü"));
        QVERIFY(store.startPage("Bare")->isNull());
    }

    void distinctNames() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        EngineStore store(temp.connection());
        const QStringList seeded = store.names().value();
        QVERIFY(store.add(seeded.first().toUpper()).ok());
        QStringList all, distinct{"first"};
        QVERIFY(store.fillNames(all).ok());
        QVERIFY(store.fillDistinctNames(distinct).ok());
        QCOMPARE(all, seeded + QStringList{seeded.first().toUpper()});
        QCOMPARE(distinct, QStringList{"first"} + seeded);
    }
};

QTEST_GUILESS_MAIN(TestEngineStore)
#include "test_engine_store.moc"
