// What a search crawls: the engines' links with the keyword put in, and the texts of the second panel.

#include "crawl/crawl_plan.h"

#include <QTest>

class TestCrawlPlan : public QObject {
    Q_OBJECT

private slots:
    void engineSearchAddress_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("address");
        QTest::newRow("plain") << "http://e/s?q=<!KW!>"
                               << "jazz"
                               << "http://e/s?q=jazz";
        QTest::newRow("twice") << "http://e/s?q=<!KW!>&t=<!KW!>"
                               << "a"
                               << "http://e/s?q=a&t=a";
        QTest::newRow("blanks encoded, outer blanks dropped") << "http://e/?q=<!KW!>"
                                                              << "  rock roll "
                                                              << "http://e/?q=rock%20roll";
        QTest::newRow("delimiters cannot break the link") << "http://e/?q=<!KW!>&x=1"
                                                          << "rock & roll #1?"
                                                          << "http://e/?q=rock%20%26%20roll%20%231%3F&x=1";
        QTest::newRow("non-ASCII as UTF-8") << "http://e/?q=<!KW!>"
                                            << "café"
                                            << "http://e/?q=caf%C3%A9";
        QTest::newRow("placeholder case matters") << "http://e/?q=<!kw!>"
                                                  << "x"
                                                  << "http://e/?q=<!kw!>";
        QTest::newRow("no placeholder") << " http://e/fixed "
                                        << "x"
                                        << "http://e/fixed";
    }
    void engineSearchAddress() {
        QFETCH(QString, link);
        QFETCH(QString, keyword);
        QFETCH(QString, address);
        QCOMPARE(EngineSearchAddress(link, keyword), address);
    }

    void webSegmentsSkipEnginesWithoutLink() {
        const QList<EngineLink> engines{{QStringLiteral(" One "), QStringLiteral("http://1/?<!KW!>")},
                                        {QStringLiteral("Null"), QString()},
                                        {QStringLiteral("Blank"), QStringLiteral("  ")},
                                        {QStringLiteral("Two"), QStringLiteral("http://2/?<!KW!>")}};
        const auto segments = WebSearchSegments(engines, QStringLiteral("k"));
        QCOMPARE(segments.size(), 2);
        QCOMPARE(segments.at(0).startAddress, QStringLiteral("http://1/?k"));
        QCOMPARE(LevelText(segments.at(0), 7), QStringLiteral("Engine: One"));
        QCOMPARE(segments.at(1).maxLevel, kWebSearchLevels);
        QCOMPARE(LevelText(segments.at(1), 1), QStringLiteral("Engine: Two"));
    }

    void urlSegment_data() {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("maxLevel");
        QTest::newRow("0 is the start page") << 0 << 1;
        QTest::newRow("negative is the start page") << -3 << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("5") << 5 << 5;
    }
    void urlSegment() {
        QFETCH(int, depth);
        QFETCH(int, maxLevel);
        const CrawlSegment segment = UrlSearchSegment(QStringLiteral(" http://h/ "), depth);
        QCOMPARE(segment.maxLevel, maxLevel);
        QCOMPARE(segment.startAddress, QStringLiteral("http://h/"));
        QCOMPARE(LevelText(segment, 3), QStringLiteral("level 3"));
    }
};

QTEST_GUILESS_MAIN(TestCrawlPlan)
#include "test_crawl_plan.moc"
