// The page queue: order, 1-based positions and keys unique without letter case.

#include "crawl/page_queue.h"
#include "tests/support/table_rows.h"

class TestPageQueue : public QObject {
    Q_OBJECT
private slots:
    void duplicates_data() {
        addColumns<QStringList, QStringList>({"added", "expected"}); // expected: the queue, in order
        addRow("distinct kept in order", QStringList{"http://h/b", "http://h/a"},
               QStringList{"http://h/b", "http://h/a"});
        addRow("case-only duplicate keeps first spelling",
               QStringList{"http://h/Page.html", "http://h/page.html", "HTTP://H/PAGE.HTML",
                           "http://h/Page.html"},
               QStringList{"http://h/Page.html"});
        addRow("non-ASCII letter case", QStringList{"http://h/\u00c4rger", "http://h/\u00e4rger"},
               QStringList{"http://h/\u00c4rger"});
        addRow("fragment and trailing slash are part of the key",
               QStringList{"http://h/a#x", "http://h/a", "http://h/a/"},
               QStringList{"http://h/a#x", "http://h/a", "http://h/a/"});
    }
    void duplicates() {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        PageQueue queue;
        for (const QString& address : added) {
            const bool known = queue.contains(address.toUpper());
            QCOMPARE(queue.add(address), !known);
            QVERIFY(queue.contains(address.toUpper()));
        }
        QStringList queued;
        for (int position = 1; position <= queue.count(); ++position)
            queued.append(queue.at(position));
        QCOMPARE(queued, expected);
    }
};

QTEST_APPLESS_MAIN(TestPageQueue)
#include "test_page_queue.moc"
