// robots.txt rules as one table: which group applies to the "Vorlane" agent, longest match, wildcards,
// and the sloppy files found in the wild.

#include "crawl/robots_rules.h"

#include <QTest>

class TestRobotsRules : public QObject {
    Q_OBJECT

private slots:
    void allows_data() {
        QTest::addColumn<QString>("robots");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("allowed");
        const QString star = QStringLiteral("User-agent: *\n");
        const QString ours =
            QStringLiteral("User-agent: *\nDisallow: /\n\nUser-agent: vorlane\nDisallow: /x\n");
        QTest::newRow("empty file") << QString() << "/a" << true;
        QTest::newRow("disallowed prefix") << star + "Disallow: /private"
                                           << "/private/a.html" << false;
        QTest::newRow("prefix is by characters") << star + "Disallow: /private"
                                                 << "/privateer" << false;
        QTest::newRow("outside the prefix") << star + "Disallow: /private"
                                            << "/public" << true;
        QTest::newRow("empty disallow allows all") << star + "Disallow:"
                                                   << "/a" << true;
        QTest::newRow("our group beats *: allowed") << ours << "/a" << true;
        QTest::newRow("our group beats *: disallowed") << ours << "/x/y" << false;
        QTest::newRow("agent with version, among others")
            << "User-agent: other\nUser-agent: Vorlane/2.0\nDisallow: /g\n"
            << "/g" << false;
        QTest::newRow("another agent's group only") << "User-agent: other\nDisallow: /\n"
                                                    << "/a" << true;
        QTest::newRow("a group ends at the next agent line")
            << star + "Disallow: /a\nUser-agent: other\nDisallow: /b\n"
            << "/b" << true;
        QTest::newRow("our groups merge") << "User-agent: vorlane\nDisallow: /a\nUser-agent: x\nAllow: /\n"
                                             "User-agent: VORLANE\nDisallow: /b\n"
                                          << "/b/c" << false;
        QTest::newRow("rules before any agent are ignored") << "Disallow: /\n" + star << "/a" << true;
        QTest::newRow("longer allow wins") << star + "Disallow: /a\nAllow: /a/b"
                                           << "/a/b/c" << true;
        QTest::newRow("longer disallow wins, whatever the order") << star + "Disallow: /a/b\nAllow: /a"
                                                                  << "/a/b/c" << false;
        QTest::newRow("tie goes to allow") << star + "Disallow: /a\nAllow: /a"
                                           << "/a" << true;
        QTest::newRow("wildcard with end anchor") << star + "Disallow: /*.php$"
                                                  << "/d/x.php" << false;
        QTest::newRow("end anchor and a query") << star + "Disallow: /*.php$"
                                                << "/x.php?y=1" << true;
        QTest::newRow("wildcard in the middle") << star + "Disallow: /*/raw/"
                                                << "/a/b/raw/c" << false;
        QTest::newRow("wildcard needs the rest") << star + "Disallow: /*/raw/"
                                                 << "/a/b/cooked" << true;
        QTest::newRow("any query") << star + "Disallow: /*?"
                                   << "/list?page=2" << false;
        QTest::newRow("no query") << star + "Disallow: /*?"
                                  << "/list" << true;
        QTest::newRow("anchor alone: exact path") << star + "Disallow: /$"
                                                  << "/" << false;
        QTest::newRow("anchor alone: longer path") << star + "Disallow: /$"
                                                   << "/a" << true;
        QTest::newRow("CRLF, comments, letter case of keys")
            << "USER-AGENT: * # all\r\nDISALLOW: /c # not this\r\n"
            << "/c/d" << false;
        QTest::newRow("byte order mark") << "\xEF\xBB\xBFUser-agent: *\nDisallow: /c\n"
                                         << "/c" << false;
        QTest::newRow("escapes compare without letter case") << star + "Disallow: /caf%c3%a9"
                                                             << "/caf%C3%A9" << false;
        QTest::newRow("raw UTF-8 in a pattern") << star + "Disallow: /café"
                                                << "/caf%C3%A9/x" << false;
        QTest::newRow("lines without a colon are skipped") << star + "garbage\nDisallow /x\n"
                                                           << "/x" << true;
        QTest::newRow("sitemap and crawl-delay end nothing")
            << star + "Crawl-delay: 5\nSitemap: http://s/x.xml\nDisallow: /y"
            << "/y" << false;
    }
    void allows() {
        QFETCH(QString, robots);
        QFETCH(QString, target);
        QFETCH(bool, allowed);
        QCOMPARE(RobotsRules::parse(robots.toUtf8(), QStringLiteral("Vorlane")).allows(target), allowed);
    }

    void defaultAndDisallowAll() {
        QVERIFY(RobotsRules().allows(QStringLiteral("/anything")));
        QVERIFY(!RobotsRules::disallowAll().allows(QStringLiteral("/")));
        QVERIFY(!RobotsRules::disallowAll().allows(QStringLiteral("/a?b")));
    }
};

QTEST_MAIN(TestRobotsRules)
#include "test_robots_rules.moc"
