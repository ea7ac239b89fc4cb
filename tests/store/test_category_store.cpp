// Media types on a real database: names without letter case, NULL versus empty extensions.

#include "store/category_store.h"
#include "tests/support/temp_database.h"

#include <QtTest>

class TestCategoryStore : public QObject {
    Q_OBJECT

private slots:
    void addLookUpRemove() {
        TempDatabase temp;
        QVERIFY2(temp.isValid(), qPrintable(temp.error()));
        CategoryStore store(temp.connection());
        const QStringList seeded = store.names().value();
        QCOMPARE(seeded.first(), QStringLiteral("Audio"));

        QVERIFY(store.add("Tracker's 音").ok());
        QCOMPARE(store.names().value(), seeded + QStringList{"Tracker's 音"});
        QVERIFY(store.fileExtensions("Tracker's 音")->isNull()); // no extension yet
        QVERIFY(store.fileExtensions("no such type")->isNull());

        QVERIFY(store.setFileExtensions("TRACKER'S 音", ".mod,.xm").ok());
        QCOMPARE(store.fileExtensions("tracker's 音").value(), QStringLiteral(".mod,.xm"));
        QVERIFY(store.setFileExtensions("Tracker's 音", "").ok()); // last extension removed
        QVERIFY(!store.fileExtensions("Tracker's 音")->isNull());
        QVERIFY(store.fileExtensions("Tracker's 音")->isEmpty());

        QStringList list{"first"};
        QVERIFY(store.remove("tracker's 音").ok());
        QVERIFY(store.fillNames(list).ok());
        QCOMPARE(list, QStringList{"first"} + seeded);
    }
};

QTEST_GUILESS_MAIN(TestCategoryStore)
#include "test_category_store.moc"
