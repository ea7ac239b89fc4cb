// The main window's state across runs: what one window stores when the program ends comes back in the
// next, a damaged store falls back to the designed window, and a window never shown stores nothing.

#include "form_fixture.h"
#include "shell/twips.h"
#include "ui/result_list.h"
#include <QHeaderView>
#include <QScreen>
#include <QSettings>

class TestWindowState : public QObject {
    Q_OBJECT
private slots:
    void init() { m_options.clear(); }
    void comesBackInTheNextWindow_data();
    void comesBackInTheNextWindow();
    void damagedStoreKeepsTheDesignedWindow_data();
    void damagedStoreKeepsTheDesignedWindow();
    void windowNeverShownStoresNothing();

private:
    TempUserOptions m_options;
};

void TestWindowState::comesBackInTheNextWindow_data() {
    QTest::addColumn<QString>("key"); // action that shows the list
    QTest::addColumn<int>("list");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QList<int>>("widths"); // of the shown list, by hand; empty: none
    QTest::addColumn<QList<int>>("clicks"); // header clicks on the shown list

    QTest::newRow("URL list, sized by hand, sorted by address descending")
        << "Two" << 2 << QRect(40, 30, 640, 480) << false << QList<int>{200, 250, 120} << QList<int>{1, 1};
    QTest::newRow("campaign list, sorted by file, columns left to the window")
        << "Three" << 3 << QRect(10, 20, 560, 420) << false << QList<int>{} << QList<int>{0};
    QTest::newRow("web list, maximised, never sorted")
        << "One" << 1 << QRect(50, 60, 600, 450) << true << QList<int>{90, 300, 100} << QList<int>{};
}

void TestWindowState::comesBackInTheNextWindow() {
    QFETCH(QString, key);
    QFETCH(int, list);
    QFETCH(QRect, geometry);
    QFETCH(bool, maximized);
    QFETCH(QList<int>, widths);
    QFETCH(QList<int>, clicks);
    {
        FormFixture f;
        QVERIFY(f.exposed);
        f.form->runAction(key);
        f.form->setGeometry(geometry);
        QTRY_COMPARE_WITH_TIMEOUT(f.form->geometry(), geometry, 2000);
        for (int c = 0; c < widths.size(); ++c)
            f.form->listView(list)->header()->resizeSection(c, widths[c]);
        for (int c : clicks)
            f.form->listView(list)->headerClicked(c);
        if (maximized)
            f.form->showMaximized();
        QTRY_COMPARE_WITH_TIMEOUT(f.form->isMaximized(), maximized, 2000);
        f.form->ShutDownApplication();
    }

    FormFixture f;
    QVERIFY(f.exposed);
    QCOMPARE(f.visibleList(), list);
    QCOMPARE(f.form->isMaximized(), maximized);
    QCOMPARE(maximized ? f.form->normalGeometry() : f.form->geometry(), geometry);
    ResultList* shown = f.form->listView(list);
    // Without widths set by hand the columns are still spread by the window.
    const int spread =
        f.form->findChild<QWidget*>("ResultArea")->width() / 3 - TwipsToPixelsX(f.form.get(), 100);
    QCOMPARE(shown->columnWidths(), (widths.isEmpty() ? QList<int>{spread, spread, spread} : widths));
    const ResultListModel& model = shown->rows();
    QCOMPARE(model.isSorted(), !clicks.isEmpty());
    if (!clicks.isEmpty()) {
        const Qt::SortOrder order = clicks.size() % 2 ? Qt::AscendingOrder : Qt::DescendingOrder;
        QCOMPARE((QList<int>{model.sortColumn(), model.sortOrder(), shown->header()->sortIndicatorSection(),
                             shown->header()->sortIndicatorOrder()}),
                 (QList<int>{clicks.last(), order, clicks.last(), order}));
        // Rows arriving now take their sorted place, and the next click flips the restored direction.
        shown->AddResultRow("b.mp3", "http://s.test/b.mp3");
        shown->AddResultRow("a.mp3", "http://s.test/a.mp3");
        QCOMPARE(model.row(0).fileName, QString(order == Qt::AscendingOrder ? "a.mp3" : "b.mp3"));
        shown->headerClicked(clicks.last());
        QVERIFY(model.sortOrder() != order);
    }
    // The other lists kept what they had: spread columns, no sort.
    for (int i = 1; i <= 3; ++i)
        QVERIFY(i == list ||
                (!f.form->listView(i)->hasUserColumnWidths() && !f.form->listView(i)->rows().isSorted()));
}

void TestWindowState::damagedStoreKeepsTheDesignedWindow_data() {
    QTest::addColumn<QVariantMap>("stored"); // under "Window/"
    QTest::newRow("size as text") << QVariantMap{{"Size", "big"}};
    QTest::newRow("position far off every screen") << QVariantMap{{"Position", QPoint(50000, 50000)}};
    QTest::newRow("no such list") << QVariantMap{{"VisibleList", "7"}};
    QTest::newRow("width not a number") << QVariantMap{{"ListView1/ColumnWidths", "100,wide,100"}};
    QTest::newRow("zero width") << QVariantMap{{"ListView1/ColumnWidths", "0,100,100"}};
    QTest::newRow("no such column") << QVariantMap{{"ListView1/SortColumn", "3"},
                                                   {"ListView1/SortOrder", "ascending"}};
    QTest::newRow("no such order") << QVariantMap{{"ListView1/SortColumn", "1"},
                                                  {"ListView1/SortOrder", "sideways"}};
}

void TestWindowState::damagedStoreKeepsTheDesignedWindow() {
    QFETCH(QVariantMap, stored);
    {
        QSettings settings("Vorlane", "Vorlane");
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            settings.setValue("Window/" + it.key(), it.value());
    }
    FormFixture f;
    QVERIFY(f.exposed);
    QCOMPARE(f.form->size(), QSize(TwipsToPixelsX(f.form.get(), 7080), TwipsToPixelsY(f.form.get(), 6675)));
    const QRect seen = f.form->geometry().intersected(f.form->screen()->availableGeometry());
    QVERIFY(seen.width() >= 50 && seen.height() >= 50);
    QCOMPARE(f.visibleList(), 1);
    QVERIFY(!f.form->listView(1)->hasUserColumnWidths() && !f.form->listView(1)->rows().isSorted());
}

void TestWindowState::windowNeverShownStoresNothing() {
    FormFixture f(true, false);
    f.form->ShutDownApplication();
    QSettings settings("Vorlane", "Vorlane");
    settings.beginGroup("Window");
    QVERIFY(settings.allKeys().isEmpty());
}

QTEST_MAIN(TestWindowState)
#include "test_window_state.moc"
