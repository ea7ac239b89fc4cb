// What a search crawls: the engines' links with the keyword put in, and the texts of the second panel.

#include "crawl/crawl_plan.h"
#include "tests/support/table_rows.h"

class TestCrawlPlan : public QObject {
    Q_OBJECT

private slots:
    void engineSearchAddress_data() {
        addColumns<QString, QString, QString>({"link", "keyword", "address"});
        addRow("blanks encoded, outer blanks dropped", "http://e/?q=<!KW!>", "  rock roll ",
               "http://e/?q=rock%20roll");
        addRow("delimiters cannot break the link", "http://e/?q=<!KW!>&x=1", "rock & roll #1?",
               "http://e/?q=rock%20%26%20roll%20%231%3F&x=1");
        addRow("non-ASCII as UTF-8", "http://e/?q=<!KW!>", "café", "http://e/?q=caf%C3%A9");
        addRow("placeholder case matters", "http://e/?q=<!kw!>", "x", "http://e/?q=<!kw!>");
        addRow("no placeholder", " http://e/fixed ", "x", "http://e/fixed");
    }
    void engineSearchAddress() {
        QFETCH(QString, link);
        QFETCH(QString, keyword);
        QFETCH(QString, address);
        QCOMPARE(EngineSearchAddress(link, keyword), address);
    }

    // A depth below 1 crawls the start page only.
    void urlSegment() {
        for (const auto& [depth, maxLevel] : {std::pair{-3, 1}, {0, 1}, {1, 1}, {5, 5}}) {
            const CrawlSegment url = UrlSearchSegment(QStringLiteral(" http://h/ "), depth);
            QCOMPARE(url.maxLevel, maxLevel);
            QCOMPARE(url.startAddress, QStringLiteral("http://h/"));
            QCOMPARE(LevelText(url, 3), QStringLiteral("level 3"));
        }
    }
};

QTEST_GUILESS_MAIN(TestCrawlPlan)
#include "test_crawl_plan.moc"
