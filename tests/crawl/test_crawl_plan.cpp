// What a search crawls: the engines' links with the keyword put in, and the texts of the second panel.

#include "crawl/crawl_plan.h"
#include "tests/crawl/table_rows.h"

class TestCrawlPlan : public QObject {
    Q_OBJECT

private slots:
    void engineSearchAddress_data() {
        addColumns<QString, QString, QString>({"link", "keyword", "address"});
        addRow("twice", "http://e/s?q=<!KW!>&t=<!KW!>", "a", "http://e/s?q=a&t=a");
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

    void segments() {
        const QList<EngineLink> engines{{QStringLiteral(" One "), QStringLiteral("http://1/?<!KW!>")},
                                        {QStringLiteral("Null"), QString()},
                                        {QStringLiteral("Blank"), QStringLiteral("  ")},
                                        {QStringLiteral("Two"), QStringLiteral("http://2/?<!KW!>")}};
        const auto web = WebSearchSegments(engines, QStringLiteral("k"));
        QCOMPARE(web.size(), 2); // engines without a link are skipped
        QCOMPARE(web.at(0).startAddress, QStringLiteral("http://1/?k"));
        QCOMPARE(LevelText(web.at(0), 7), QStringLiteral("Engine: One"));
        QCOMPARE(web.at(1).maxLevel, kWebSearchLevels);
        QCOMPARE(LevelText(web.at(1), 1), QStringLiteral("Engine: Two"));
        // A depth below 1 crawls the start page only.
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
