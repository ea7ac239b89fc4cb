// Stored settings on a real database: connection type and filter list, saved as one unit.

#include "store/settings_store.h"
#include "tests/support/temp_database.h"

#include <QSqlQuery>
#include <QtTest>

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void derivesFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("timeout");
        QTest::addColumn<int>("concurrency");
        QTest::addColumn<QString>("kept");
        // The previous values are 99/5/"previous": a text that is no known type keeps them.
        QTest::newRow("Unknown") << "Unknown" << 30 << 8 << "Unknown";
        QTest::newRow("33k") << "33k" << 30 << 2 << "33k";
        QTest::newRow("56k") << "56k" << 20 << 2 << "56k";
        QTest::newRow("ISDN") << "ISDN" << 15 << 4 << "ISDN";
        QTest::newRow("Cable") << "Cable" << 10 << 8 << "Cable";
        QTest::newRow("DSL, padded") << "  DSL " << 10 << 8 << "DSL";
        QTest::newRow("T1") << "T1" << 10 << 8 << "T1";
        QTest::newRow("T2 like T1") << "T2" << 10 << 8 << "T2";
        QTest::newRow("other case") << "dsl" << 99 << 5 << "previous";
        QTest::newRow("unknown text") << "Fibre" << 99 << 5 << "previous";
        QTest::newRow("empty") << "" << 99 << 5 << "previous";
    }
    void derivesFromText() {
        QFETCH(QString, text);
        QFETCH(int, timeout);
        QFETCH(int, concurrency);
        QFETCH(QString, kept);
        const ConnectionType derived = DeriveConnectionType(text, {"previous", 99, 5});
        QCOMPARE(derived.timeoutSeconds, timeout);
        QCOMPARE(derived.concurrency, concurrency);
        QCOMPARE(derived.text, kept);
    }

    void savedSettingsReloadUnchanged_data() {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QStringList>("filters");
        QTest::newRow("empty list") << "56k" << QStringList();
        QTest::newRow("quotes and unicode") << "T2" << QStringList{"it's", "''", "wörd 字", "x"};
        QTest::newRow("same words again") << "DSL" << QStringList{"ads", "ads", "Ads"};
    }
    void savedSettingsReloadUnchanged() {
        QFETCH(QString, connection);
        QFETCH(QStringList, filters);
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        SettingsStore store(temp.connection());
        QVERIFY(store.saveSettings("ISDN", {"old", "words"}).ok());
        QVERIFY(store.saveSettings(connection, filters).ok());
        QCOMPARE(store.loadFilters().value(), filters);
        QCOMPARE(store.loadConnectionType(DefaultConnectionType())->text, connection);
    }

    void failedSaveKeepsOldSettings() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        SettingsStore store(temp.connection());
        QVERIFY(store.saveSettings("Cable", {"one", "two"}).ok());
        QVERIFY(QSqlQuery(temp.connection())
                    .exec("CREATE TRIGGER REFUSE BEFORE INSERT ON FILTERS WHEN NEW.FILTER = 'bad' "
                          "BEGIN SELECT RAISE(ABORT, 'refused by test'); END"));

        const auto saved = store.saveSettings("56k", {"three", "bad", "four"});
        QVERIFY(!saved.ok());
        QVERIFY2(saved.error().contains("refused by test"), qPrintable(saved.error()));
        QCOMPARE(store.loadFilters().value(), (QStringList{"one", "two"}));
        QCOMPARE(store.loadConnectionType(DefaultConnectionType())->text, QStringLiteral("Cable"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
