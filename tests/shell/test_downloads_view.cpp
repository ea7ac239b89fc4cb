// The Downloads view in the main window: results downloaded from a list's context menu, shown with their
// progress and state, and the view's own commands on the selected rows.

#include "app/session.h"
#include "shell/downloads_model.h"
#include "shell/downloads_view.h"
#include "tests/support/http_fixture.h"
#include "ui/quick_filter_bar.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeView>

using namespace vorlane;

class TestDownloadsView : public QObject {
    Q_OBJECT
    TempUserOptions m_options;

private slots:
    void downloadShownResultsAndActOnThem() {
        HttpFixture site;
        site.setRoute("/a.mp3", HttpFixture::patternedFile(4000));
        site.setRoute("/b.mp3", HttpFixture::patternedFile(4000));
        QTemporaryDir dir;
        WindowFixture f;
        app::DownloadSettings settings;
        settings.folder = dir.path();
        f.window->session().useDownloadSettings(settings);
        for (const char* name : {"a.mp3", "b.mp3"})
            f.list(2)->addResultRow(name, site.url(QString("/") + name), site.url("/"));

        f.list(2)->findChild<QAction*>("DownloadAllShown")->trigger();
        f.trigger("Downloads");
        QVERIFY(f.pane()->downloadsShown());
        QCOMPARE(f.visibleList(), 0);
        shell::DownloadsView* view = f.pane()->downloads();
        shell::DownloadsModel& model = view->model();
        QCOMPARE(model.rowCount(), 2);
        const auto summary = [&] { return f.window->findChild<QLabel*>("DownloadsSummary")->text(); };
        QTRY_COMPARE_WITH_TIMEOUT(summary(), QString("2 of 2 files done"), 30000);
        const QModelIndex progress = model.index(0, shell::DownloadsModel::ProgressColumn);
        QCOMPARE(progress.data(Qt::AccessibleTextRole).toString(), QString("Done, 100%"));
        QCOMPARE(model.index(0, shell::DownloadsModel::FileColumn).data().toString(), QString("a.mp3"));

        // The quick filter narrows the downloads too; the actions reach the row shown.
        f.pane()->quickFilter()->box()->setText("B.MP3");
        QCOMPARE(f.pane()->quickFilter()->countText(), QString("1 of 2 shown"));
        view->list()->setCurrentIndex(view->list()->model()->index(0, 0));
        view->findChild<QAction*>("CopyDownloadAddress")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), site.url("/b.mp3"));
        view->findChild<QAction*>("OpenDownloadedFile")->trigger();
        QCOMPARE(f.opener.opened(), QList<QUrl>{QUrl::fromLocalFile(dir.filePath("b.mp3"))});
        view->findChild<QAction*>("RemoveDownload")->trigger();
        QCOMPARE(model.rowCount(), 1);
        QVERIFY(QFileInfo::exists(dir.filePath("b.mp3"))); // the file stays
        QCOMPARE(f.window->session().downloads().rows()->size(), 1);

        f.trigger("Two");
        QCOMPARE(f.visibleList(), 2);
        QVERIFY(!f.pane()->downloadsShown());
    }
};

QTEST_MAIN(TestDownloadsView)
#include "test_downloads_view.moc"
