// The status bar: progress that repaints at most a few times a second, yet never hides the latest figures.

#include "ui/status_panels.h"
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

class TestStatusPanels : public QObject {
    Q_OBJECT
private slots:
    void progressIsThrottledButNeverStale();
};

void TestStatusPanels::progressIsThrottledButNeverStale() {
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

    // After a quiet spell the next figures show at once; a flush shows what is pending. The spell is the
    // passing time itself, which nothing on screen marks: a whole interval since the last repaint.
    QTest::qWait(StatusPanels::kProgressInterval + 100);
    bar.setProgress(7, 3, 2);
    QCOMPARE(bar.panelText(4), QStringLiteral("7 pages crawled, 3 queued, 2 files found"));
    bar.setProgress(9, 0, 4);
    bar.flushProgress();
    QCOMPARE(bar.panelText(4), QStringLiteral("9 pages crawled, 0 queued, 4 files found"));
    bar.setMessage("<b>x</b>");
    QCOMPARE(bar.panel(1)->textFormat(), Qt::PlainText); // page text never renders as markup
}

QTEST_MAIN(TestStatusPanels)
#include "test_status_panels.moc"
