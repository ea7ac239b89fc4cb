// The status bar: what it shows, what a screen reader hears, how the room is shared, and progress that
// repaints at most a few times a second yet never hides the latest figures. Also the program's questions.

#include "tests/support/modal_driver.h"
#include "ui/message_facade.h"
#include "ui/status_panels.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>

using namespace vorlane;

namespace {

QString accessibleName(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

} // namespace

class TestStatusPanels : public QObject {
    Q_OBJECT
private slots:
    void progressIsThrottledButNeverStale();
    void screenReadersHearThePanelsText();
    void theMessageKeepsHalfTheBar();
    void questionsShowNoIcon();
};

void TestStatusPanels::progressIsThrottledButNeverStale() {
    ui::StatusPanels bar;
    for (int i = 1; i <= 500; ++i)
        bar.setProgress(i, 1000 - i, i / 2);
    // No event has run yet: only the first figures may be on screen.
    QCOMPARE(bar.panelText(4), QStringLiteral("1 pages crawled, 999 queued, 0 files found"));
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE_WITH_TIMEOUT(bar.panelText(4),
                              QStringLiteral("500 pages crawled, 500 queued, 250 files found"), 2000);
    QVERIFY(clock.elapsed() >= ui::StatusPanels::kProgressInterval - 50);
    QCOMPARE(bar.panel(4)->toolTip(), bar.panelText(4));

    // After a quiet spell the next figures show at once; a flush shows what is pending. The spell is the
    // passing time itself, which nothing on screen marks: a whole interval since the last repaint.
    QTest::qWait(ui::StatusPanels::kProgressInterval + 100);
    bar.setProgress(7, 3, 2);
    QCOMPARE(bar.panelText(4), QStringLiteral("7 pages crawled, 3 queued, 2 files found"));
    bar.setProgress(9, 0, 4);
    bar.flushProgress();
    QCOMPARE(bar.panelText(4), QStringLiteral("9 pages crawled, 0 queued, 4 files found"));
    bar.setMessage("<b>x</b>");
    QCOMPARE(bar.panel(1)->textFormat(), Qt::PlainText); // page text never renders as markup
}

void TestStatusPanels::screenReadersHearThePanelsText() {
    ui::StatusPanels bar;
    QSignalSpy announced(&bar, &ui::StatusPanels::announced);
    for (int i = 0; i < 50; ++i)
        bar.setMessage(QStringLiteral("Crawling: http://a.example/%1").arg(i));
    bar.setMessage(QStringLiteral("Done."));
    bar.setActivity(QStringLiteral("Idle"));
    bar.setActivity(QStringLiteral("URL Search paused"));
    bar.setProgress(16, 17, 3);
    // Fifty changes in a row are announced twice (the first at once, the last after the interval), never
    // fifty; the activity change joins the second announcement.
    const auto times = [&announced](int panel) {
        return std::count_if(announced.cbegin(), announced.cend(),
                             [panel](const QList<QVariant>& args) { return args.first().toInt() == panel; });
    };
    QTRY_VERIFY_WITH_TIMEOUT(times(1) == 2 && times(3) == 1, 2000);
    // An empty panel reads as what it is for.
    const QStringList heard{accessibleName(bar.panel(1)), accessibleName(bar.panel(2)),
                            accessibleName(bar.panel(3)), accessibleName(bar.panel(4))};
    QCOMPARE(heard, (QStringList{"Done.", "Level", "URL Search paused",
                                 "16 pages crawled, 17 queued, 3 files found"}));
    QCOMPARE(QAccessible::queryAccessibleInterface(bar.panel(1))->text(QAccessible::Description), "Message");
    bar.setMessage(QStringLiteral("Stopped."));
    QCOMPARE(accessibleName(bar.panel(1)), QStringLiteral("Stopped."));
}

void TestStatusPanels::theMessageKeepsHalfTheBar() {
    QWidget window;
    auto* bar = new ui::StatusPanels(&window);
    window.resize(7080 / 15, 100); // the main window's designed width
    bar->setGeometry(0, 70, window.width(), 30);
    bar->setMessage(QStringLiteral("Crawling: http://www.example.com/music/archive/index.html"));
    bar->setLevel(QStringLiteral("level 3"));
    bar->setActivity(QStringLiteral("URL Search running..."));
    bar->setProgress(16, 17, 3);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(bar->panel(4)->width() > 0);
    QVERIFY2(bar->panel(1)->width() * 2 >= bar->width(),
             qPrintable(QString("%1 of %2").arg(bar->panel(1)->width()).arg(bar->width())));
    // The progress panel shows the compact form, cut to its room, never the long one.
    QVERIFY(bar->panel(4)->text().startsWith("16 pages") || bar->panel(4)->text().endsWith(QChar(0x2026)));
    QVERIFY(!bar->panel(4)->text().contains("crawled"));
}

void TestStatusPanels::questionsShowNoIcon() {
    ui::QMessageBoxFacade facade;
    QMessageBox::Icon icon = QMessageBox::Question;
    QStringList buttons;
    ModalDriver driver("Question", [&](QWidget* modal) {
        auto* box = static_cast<QMessageBox*>(modal);
        icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            buttons << (box->standardButton(button) == QMessageBox::Yes ? "Yes" : "No");
        box->button(QMessageBox::No)->click();
    });
    QVERIFY(!facade.question(nullptr, QStringLiteral("Are you sure?")));
    QVERIFY(driver.seen());
    QCOMPARE(icon, QMessageBox::NoIcon);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"No", "Yes"}));
}

QTEST_MAIN(TestStatusPanels)
#include "test_status_panels.moc"
