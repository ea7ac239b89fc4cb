// The status bar: initial panel texts, and progress that repaints at most a few times a second.

#include "ui/status_panels.h"
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

class TestStatusPanels : public QObject {
    Q_OBJECT
private slots:
    void startsWithTheDesignTexts();
    void panelsAreReadableByName();
    void progressBurstShowsFirstThenLatest();
    void progressAfterQuietSpellShowsAtOnce();
    void flushShowsPendingFigures();
};

void TestStatusPanels::startsWithTheDesignTexts() {
    StatusPanels bar;
    QCOMPARE(bar.objectName(), QStringLiteral("StatusBar1"));
    QCOMPARE(bar.panelText(1), QStringLiteral("Ready"));
    QCOMPARE(bar.panelText(2), QString());
    QCOMPARE(bar.panelText(3), QStringLiteral("Idle"));
    QCOMPARE(bar.panelText(4), QString());
    QCOMPARE(bar.panelText(5), QString());
}

void TestStatusPanels::panelsAreReadableByName() {
    StatusPanels bar;
    bar.setMessage("Crawling: http://site.test/<b>x</b>");
    bar.setLevel("level 2");
    bar.setActivity("URL Search running...");
    QStringList names;
    for (int i = 1; i <= 4; ++i) {
        QVERIFY(!bar.panel(i)->accessibleName().isEmpty());
        names << bar.panel(i)->accessibleName();
    }
    QCOMPARE(names.removeDuplicates(), 0);
    QCOMPARE(bar.panel(1)->textFormat(), Qt::PlainText);
    QCOMPARE(bar.panelText(2), QStringLiteral("level 2"));
    QCOMPARE(bar.panelText(3), QStringLiteral("URL Search running..."));
}

void TestStatusPanels::progressBurstShowsFirstThenLatest() {
    StatusPanels bar;
    for (int i = 1; i <= 500; ++i)
        bar.setProgress(i, 1000 - i, i / 2);
    // No event has run yet: only the first figures may be on screen.
    QCOMPARE(bar.panelText(4), QStringLiteral("1 pages crawled, 999 queued, 0 files found"));
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(bar.panelText(4),
                              QStringLiteral("500 pages crawled, 500 queued, 250 files found"), 2000);
    QVERIFY(clock.elapsed() >= StatusPanels::kProgressInterval - 50);
}

void TestStatusPanels::progressAfterQuietSpellShowsAtOnce() {
    StatusPanels bar;
    bar.setProgress(1, 1, 0);
    QTest::qWait(StatusPanels::kProgressInterval + 100);
    bar.setProgress(7, 3, 2);
    QCOMPARE(bar.panelText(4), QStringLiteral("7 pages crawled, 3 queued, 2 files found"));
}

void TestStatusPanels::flushShowsPendingFigures() {
    StatusPanels bar;
    bar.setProgress(1, 1, 0);
    bar.setProgress(9, 0, 4);
    bar.flushProgress();
    QCOMPARE(bar.panelText(4), QStringLiteral("9 pages crawled, 0 queued, 4 files found"));
}

QTEST_MAIN(TestStatusPanels)
#include "test_status_panels.moc"
