// Ending the program in the middle of a crawl, by each of the three ways a user can end it: the run stops
// at once, nothing is emitted afterwards, every row shown is stored, and the database file is sound.

#include "form_fixture.h"
#include "shell/exit_to_tray.h"
#include "shell/tray.h"
#include "tests/support/http_fixture.h"
#include "ui/app_context.h"
#include <QPushButton>
#include <QRadioButton>
#include <QSqlDatabase>
#include <QSqlQuery>

class TestShutdown : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }
    void endsCleanlyDuringACrawl_data();
    void endsCleanlyDuringACrawl();

private:
    TempUserOptions m_options;
};

void TestShutdown::endsCleanlyDuringACrawl_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("remembered answer: end") << "close";
    QTest::newRow("exit question: exit") << "question";
    QTest::newRow("tray Exit") << "tray";
}

void TestShutdown::endsCleanlyDuringACrawl() {
    QFETCH(QString, way);
    // A site wide enough to keep the crawl busy: every page links files and further pages, slowly.
    HttpFixture site;
    QVERIFY(site.isListening());
    site.setLatencyMs(30);
    for (int page = 0; page < 60; ++page) {
        QStringList links;
        for (int i = 0; i < 5; ++i)
            links << QStringLiteral("f%1_%2.mp3").arg(page).arg(i)
                  << QStringLiteral("p%1.html").arg(page * 3 + i);
        site.setPage(page ? QStringLiteral("/p%1.html").arg(page) : QStringLiteral("/"),
                     HttpFixture::linksPage(links));
    }
    FormFixture f;
    CrawlEngine& engine = f.form->context().urlEngine();
    QVERIFY(engine.startUrlCrawl(site.url("/"), ".mp3", 4).ok());
    QTRY_VERIFY_WITH_TIMEOUT(f.form->listView(2)->rowCount() >= 10, 10000);
    QVERIFY(engine.isRunning());
    const int campaign = engine.campaignId();

    if (way == "close") {
        m_options.set("ShowAskTrayExit", "0");
        m_options.set("Exit", "True");
        f.form->close();
    } else if (way == "question") {
        f.form->close();
        auto* question = f.form->findChild<ExitToTray*>();
        QVERIFY(question);
        question->findChild<QRadioButton*>("ExitApp")->setChecked(true);
        QTest::mouseClick(question->findChild<QPushButton*>("OK"), Qt::LeftButton);
    } else {
        f.form->tray()->menu().findChild<QAction*>("exitmenu")->trigger();
    }

    QCOMPARE(f.ended->size(), 1);
    QCOMPARE((QList<bool>{engine.isRunning(), f.database.database().isOpen(), f.form->isVisible(),
                          f.form->tray()->isLoaded()}),
             (QList<bool>{false, false, false, false}));
    const int rowsShown = f.form->listView(2)->rowCount();
    QTest::qWait(300); // nothing arrives after the end, however many answers were still on the way
    QCOMPARE(f.form->listView(2)->rowCount(), rowsShown);
    QVERIFY(f.messages.shown().isEmpty());

    // The file opens again, passes the check and holds every row that was shown.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
        db.setDatabaseName(f.database.filePath());
        QVERIFY(db.open());
        QSqlQuery check(db);
        QVERIFY(check.exec(QStringLiteral("PRAGMA quick_check")) && check.next());
        QCOMPARE(check.value(0).toString(), QStringLiteral("ok"));
        QVERIFY(check.exec(
                    QStringLiteral("SELECT COUNT(*) FROM FILELINKS WHERE CAMPAIGNID = %1").arg(campaign)) &&
                check.next());
        QCOMPARE(check.value(0).toInt(), rowsShown);
    }
    QSqlDatabase::removeDatabase("check");
}

QTEST_MAIN(TestShutdown)
#include "test_shutdown.moc"
