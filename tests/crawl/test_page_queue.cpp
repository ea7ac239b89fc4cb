// The page queue: order, 1-based positions and keys unique without letter case.

#include "crawl/page_queue.h"

#include <QTest>

class TestPageQueue : public QObject {
    Q_OBJECT
private slots:
    void duplicates_data();
    void duplicates();
    void clearStartsAfresh();
};

void TestPageQueue::duplicates_data() {
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("expected"); // the queue afterwards, in order
    QTest::newRow("distinct kept in order") << QStringList{"http://h/b", "http://h/a", "http://h/c"}
                                            << QStringList{"http://h/b", "http://h/a", "http://h/c"};
    QTest::newRow("exact duplicate") << QStringList{"http://h/a", "http://h/b", "http://h/a"}
                                     << QStringList{"http://h/a", "http://h/b"};
    QTest::newRow("case-only duplicate keeps first spelling")
        << QStringList{"http://h/Page.html", "http://h/page.html", "HTTP://H/PAGE.HTML"}
        << QStringList{"http://h/Page.html"};
    QTest::newRow("non-ASCII letter case")
        << QStringList{"http://h/\u00c4rger", "http://h/\u00e4rger"} << QStringList{"http://h/\u00c4rger"};
    QTest::newRow("fragment is part of the key")
        << QStringList{"http://h/a#x", "http://h/a"} << QStringList{"http://h/a#x", "http://h/a"};
    QTest::newRow("trailing slash differs")
        << QStringList{"http://h/a", "http://h/a/"} << QStringList{"http://h/a", "http://h/a/"};
}

void TestPageQueue::duplicates() {
    QFETCH(QStringList, added);
    QFETCH(QStringList, expected);
    PageQueue queue;
    QStringList seen;
    for (const QString& address : added) {
        const bool isNew = !std::any_of(seen.cbegin(), seen.cend(), [&](const QString& earlier) {
            return earlier.compare(address, Qt::CaseInsensitive) == 0;
        });
        QCOMPARE(queue.add(address), isNew);
        QVERIFY(queue.contains(address));
        QVERIFY(queue.contains(address.toUpper()));
        seen.append(address);
    }
    QStringList queued;
    for (int position = 1; position <= queue.count(); ++position)
        queued.append(queue.at(position));
    QCOMPARE(queued, expected);
}

void TestPageQueue::clearStartsAfresh() {
    PageQueue queue;
    QVERIFY(queue.add("http://h/a"));
    QVERIFY(queue.add("http://h/b"));
    queue.clear();
    QCOMPARE(queue.count(), 0);
    QVERIFY(!queue.contains("http://h/a"));
    QVERIFY(queue.add("http://h/B"));
    QCOMPARE(queue.count(), 1);
    QCOMPARE(queue.at(1), QStringLiteral("http://h/B"));
}

QTEST_APPLESS_MAIN(TestPageQueue)
#include "test_page_queue.moc"
