// robots.txt rules as one table: which group applies to the "Vorlane" agent, longest match, wildcards,
// and the sloppy files found in the wild.

#include "crawl/robots_rules.h"
#include "tests/support/table_rows.h"

class TestRobotsRules : public QObject {
    Q_OBJECT

private slots:
    void allows_data() {
        addColumns<QString, QString, bool>({"robots", "target", "allowed"});
        const QString star = QStringLiteral("User-agent: *\n");
        const QString ours =
            QStringLiteral("User-agent: *\nDisallow: /\n\nUser-agent: vorlane\nDisallow: /x\n");
        addRow("empty file", QString(), "/a", true);
        addRow("disallowed prefix", star + "Disallow: /private", "/private/a.html", false);
        addRow("prefix is by characters", star + "Disallow: /private", "/privateer", false);
        addRow("outside the prefix", star + "Disallow: /private", "/public", true);
        addRow("empty disallow allows all", star + "Disallow:", "/a", true);
        addRow("our group beats *: allowed", ours, "/a", true);
        addRow("our group beats *: disallowed", ours, "/x/y", false);
        addRow("agent with version, among others",
               "User-agent: other\nUser-agent: Vorlane/2.0\nDisallow: /g\n", "/g", false);
        addRow("another agent's group only", "User-agent: other\nDisallow: /\n", "/a", true);
        addRow("a group ends at the next agent line",
               star + "Disallow: /a\nUser-agent: other\nDisallow: /b\n", "/b", true);
        addRow(
            "our groups merge",
            "User-agent: vorlane\nDisallow: /a\nUser-agent: x\nAllow: /\nUser-agent: VORLANE\nDisallow: /b\n",
            "/b/c", false);
        addRow("rules before any agent are ignored", "Disallow: /\n" + star, "/a", true);
        addRow("longer allow wins", star + "Disallow: /a\nAllow: /a/b", "/a/b/c", true);
        addRow("longer disallow wins, whatever the order", star + "Disallow: /a/b\nAllow: /a", "/a/b/c",
               false);
        addRow("tie goes to allow", star + "Disallow: /a\nAllow: /a", "/a", true);
        addRow("wildcard with end anchor", star + "Disallow: /*.php$", "/d/x.php", false);
        addRow("end anchor and a query", star + "Disallow: /*.php$", "/x.php?y=1", true);
        addRow("wildcard in the middle", star + "Disallow: /*/raw/", "/a/b/raw/c", false);
        addRow("wildcard needs the rest", star + "Disallow: /*/raw/", "/a/b/cooked", true);
        addRow("any query", star + "Disallow: /*?", "/list?page=2", false);
        addRow("anchor alone: exact path", star + "Disallow: /$", "/", false);
        addRow("anchor alone: longer path", star + "Disallow: /$", "/a", true);
        addRow("CRLF, comments, letter case of keys", "USER-AGENT: * # all\r\nDISALLOW: /c # not this\r\n",
               "/c/d", false);
        addRow("byte order mark", "\xEF\xBB\xBFUser-agent: *\nDisallow: /c\n", "/c", false);
        addRow("escapes compare without letter case", star + "Disallow: /caf%c3%a9", "/caf%C3%A9", false);
        addRow("raw UTF-8 in a pattern", star + "Disallow: /café", "/caf%C3%A9/x", false);
        addRow("lines without a colon are skipped", star + "garbage\nDisallow /x\n", "/x", true);
        addRow("sitemap and crawl-delay end nothing",
               star + "Crawl-delay: 5\nSitemap: http://s/x.xml\nDisallow: /y", "/y", false);
    }
    void allows() {
        QFETCH(QString, robots);
        QFETCH(QString, target);
        QFETCH(bool, allowed);
        QCOMPARE(RobotsRules::parse(robots.toUtf8(), QStringLiteral("Vorlane")).allows(target), allowed);
    }

    void defaultAndDisallowAll() {
        QVERIFY(RobotsRules().allows(QStringLiteral("/anything")));
        QVERIFY(!RobotsRules::disallowAll().allows(QStringLiteral("/a?b")));
    }
};

QTEST_APPLESS_MAIN(TestRobotsRules)
#include "test_robots_rules.moc"
