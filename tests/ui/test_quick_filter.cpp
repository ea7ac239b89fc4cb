// The quick filter: counts while typing, rows hidden and brought back without loss through sorting and
// new rows, and the selection and Enter acting on the shown row.

#include "tests/support/recording_opener.h"
#include "tests/support/scripted_messages.h"
#include "ui/quick_filter_bar.h"
#include "ui/result_list.h"
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>

namespace {

QStringList names(const ResultList& list) {
    QStringList out;
    for (int i = 0; i < list.rowCount(); ++i)
        out << list.rows().index(i, 0).data().toString();
    return out;
}

struct Bar {
    RecordingOpener opener;
    ScriptedMessages messages;
    QWidget window;
    QuickFilterBar* bar = new QuickFilterBar(&window);
    ResultList* list = new ResultList(opener, messages, &window);
    Bar() {
        bar->setGeometry(0, 0, 600, 30);
        list->setGeometry(0, 30, 600, 300);
        window.resize(600, 330);
        window.show();
        list->AddResultRow("Intro.mp3", "http://music.test/live/intro.mp3", "http://music.test/");
        list->AddResultRow("outro.MP3", "http://music.test/studio/outro.mp3", "http://music.test/");
        list->AddResultRow("talk.ogg", "http://talks.test/2024/talk.ogg", "http://blog.test/Live-notes");
        list->AddResultRow("clip.mp4", "http://video.test/clip.mp4", "");
        list->AddResultRow("live.wav", "http://music.test/live/live.wav", "http://music.test/live/");
        bar->setList(list);
    }
};

} // namespace

class TestQuickFilter : public QObject {
    Q_OBJECT
private slots:
    void countsWhileTyping_data();
    void countsWhileTyping();
    void rowsSurviveSortingAndArrivals();
    void selectionAndEnterActOnTheShownRow();
};

void TestQuickFilter::countsWhileTyping_data() {
    QTest::addColumn<QStringList>("steps"); // text to type, or "<" for one backspace
    QTest::addColumn<QStringList>("counts");
    QTest::addColumn<QStringList>("shown"); // after the last step, arrival order

    QTest::newRow("narrowing letter by letter, case ignored")
        << QStringList{"L", "I", "v", "E"} << QStringList{"4 of 5", "4 of 5", "3 of 5", "3 of 5"}
        << QStringList{"Intro.mp3", "talk.ogg", "live.wav"};
    QTest::newRow("found-on page counts")
        << QStringList{"blog"} << QStringList{"1 of 5"} << QStringList{"talk.ogg"};
    QTest::newRow("backspace widens again") << QStringList{"mp3x", "<"} << QStringList{"0 of 5", "2 of 5"}
                                            << QStringList{"Intro.mp3", "outro.MP3"};
    QTest::newRow("spaces around do not count")
        << QStringList{"  ogg "} << QStringList{"1 of 5"} << QStringList{"talk.ogg"};
    QTest::newRow("emptied box shows all")
        << QStringList{"mp4", "<", "<", "<"} << QStringList{"1 of 5", "3 of 5", "4 of 5", "5 of 5"}
        << QStringList{"Intro.mp3", "outro.MP3", "talk.ogg", "clip.mp4", "live.wav"};
}

void TestQuickFilter::countsWhileTyping() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, counts);
    QFETCH(QStringList, shown);
    Bar b;
    QCOMPARE(b.bar->countText(), QStringLiteral("5 of 5 shown"));
    QStringList seen;
    for (const QString& step : steps) {
        if (step == "<")
            QTest::keyClick(b.bar->box(), Qt::Key_Backspace);
        else
            QTest::keyClicks(b.bar->box(), step);
        seen << b.bar->countText().chopped(6); // " shown"
    }
    QCOMPARE(seen, counts);
    QCOMPARE(names(*b.list), shown);
    QCOMPARE(b.bar->findChild<QLabel*>("QuickFilterCount")->text(), b.bar->countText());
    QTest::keyClick(b.bar->box(), Qt::Key_Escape); // brings every row back
    QCOMPARE(b.list->rowCount(), 5);
}

void TestQuickFilter::rowsSurviveSortingAndArrivals() {
    // Rows arrive one by one and in batches, the list is sorted both ways and the filter changes between;
    // at every step the shown rows must be exactly the matching ones in the list's order.
    Bar b;
    b.list->ClearResultList();
    QList<ResultRow> all;
    auto expected = [&] {
        QList<ResultRow> rows = all;
        const ResultListModel& model = b.list->rows();
        auto text = [&](const ResultRow& r) {
            return (model.sortColumn() == 0 ? r.fileName : r.url).toCaseFolded();
        };
        if (model.isSorted())
            std::stable_sort(rows.begin(), rows.end(), [&](const ResultRow& x, const ResultRow& y) {
                return model.sortOrder() == Qt::AscendingOrder ? text(x) < text(y) : text(y) < text(x);
            });
        const QString filter = b.bar->box()->text().trimmed();
        QStringList out;
        for (const ResultRow& r : rows)
            if (r.fileName.contains(filter, Qt::CaseInsensitive) ||
                r.url.contains(filter, Qt::CaseInsensitive))
                out << r.fileName;
        return out;
    };
    auto row = [&] {
        const int i = all.size(), key = (i * 37) % 101;
        all << ResultRow{QStringLiteral("f%1.%2").arg(key).arg(i % 3 ? "mp3" : "ogg"),
                         QStringLiteral("http://h%1.test/%2").arg(i % 4).arg(key), QString()};
        return all.last();
    };
    const struct {
        const char* filter;
        int sortColumn; // -1: leave the order
        int single;
        int batch;
    } steps[] = {{"ogg", -1, 5, 40}, {"h1", 0, 3, 10},  {"h1.test/5", 0, 4, 60},
                 {"", 1, 2, 0},      {"MP3", 0, 6, 33}, {"f9", 1, 1, 100}};
    for (const auto& step : steps) {
        b.bar->box()->setText(step.filter);
        QCOMPARE(names(*b.list), expected());
        if (step.sortColumn >= 0)
            b.list->headerClicked(step.sortColumn);
        QCOMPARE(names(*b.list), expected());
        for (int i = 0; i < step.single; ++i) {
            const ResultRow r = row();
            b.list->AddResultRow(r.fileName, r.url);
        }
        QList<ResultRow> batch;
        for (int i = 0; i < step.batch; ++i)
            batch << row();
        b.list->addResultRows(batch);
        QCOMPARE(names(*b.list), expected());
        QCOMPARE(b.bar->countText(), QStringLiteral("%1 of %2 shown").arg(expected().size()).arg(all.size()));
    }
    b.bar->box()->clear();
    QCOMPARE(names(*b.list), expected());
    QCOMPARE(b.list->rowCount(), all.size());
}

void TestQuickFilter::selectionAndEnterActOnTheShownRow() {
    Bar b;
    b.list->setCurrentIndex(b.list->rows().index(4, 0)); // live.wav
    QTest::keyClicks(b.bar->box(), "music");
    QCOMPARE(b.list->selectedAddress(), QStringLiteral("http://music.test/live/live.wav"));
    QCOMPARE(b.list->currentIndex().row(), 2);
    b.bar->box()->setText("ogg"); // live.wav goes out of sight and with it the selection
    QVERIFY(b.list->selectedAddress().isNull());
    QTest::keyClick(b.list, Qt::Key_Return);
    QVERIFY(b.opener.opened().isEmpty());

    b.list->headerClicked(0); // File, ascending: clip, Intro, live, outro, talk
    b.bar->box()->setText("live");
    QCOMPARE(names(*b.list), (QStringList{"Intro.mp3", "live.wav", "talk.ogg"}));
    QTest::mouseDClick(b.list->viewport(), Qt::LeftButton, {},
                       b.list->visualRect(b.list->rows().index(2, 0)).center());
    b.list->setCurrentIndex(b.list->rows().index(1, 0));
    QTest::keyClick(b.list, Qt::Key_Return);
    QCOMPARE(b.opener.opened(),
             (QList<QUrl>{QUrl("http://talks.test/2024/talk.ogg"), QUrl("http://music.test/live/live.wav")}));
}

QTEST_MAIN(TestQuickFilter)
#include "test_quick_filter.moc"
