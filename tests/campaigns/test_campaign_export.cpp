// Export... of the Campaign Management dialog: a stored campaign written as JSON Lines reads back to its
// links in stored order, and a file that cannot be written is reported instead of passing silently.

#include "campaigns/camp_management.h"
#include "tests/support/app_context_fixture.h"
#include "tests/support/dialog_driver.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestCampaignExport : public QObject {
    Q_OBJECT

private slots:
    void exportsSelectedCampaign() {
        AppContextFixture app;
        CampaignStore store(app.database.connection());
        QCOMPARE(store.createCampaign(CampaignType::UrlSearch, QStringLiteral("http://a.test/")).value(), 1);
        QVERIFY(store.recordFileLink(1, QStringLiteral("http://a.test/x/a,\"b\".mp3"),
                                     QStringLiteral("http://a.test/x/")));
        QVERIFY(store.recordFileLink(1, QStringLiteral("http://a.test/two.ogg")));
        CampManagement dialog(app.context, app.ownerWindow());
        QString target = app.database.directory() + QStringLiteral("/links");
        dialog.setFileChooser([&](QWidget*, const QString&, const QString& filters) {
            return ExportTarget{target, filters.split(QStringLiteral(";;")).last()};
        });
        auto* exportButton = control<QPushButton>(&dialog, "ExportBtn");
        QVERIFY(!exportButton->isEnabled());
        pick(control<QComboBox>(&dialog, "Campaigns"), QStringLiteral("1 - URL Search - http://a.test/"));
        QVERIFY(exportButton->isEnabled());
        click(exportButton);
        QVERIFY(app.messages.shown().isEmpty());

        // No suffix typed: the picked filter (JSON Lines) names the format and the suffix.
        QFile file(target + QStringLiteral(".jsonl"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.last(), QByteArray());
        const QStringList expected[] = {{"a,\"b\".mp3", "http://a.test/x/a,\"b\".mp3", "http://a.test/x/"},
                                        {"two.ogg", "http://a.test/two.ogg", ""}};
        for (int i = 0; i < 2; ++i) {
            const QJsonObject row = QJsonDocument::fromJson(lines.at(i)).object();
            QCOMPARE(
                (QStringList{row["file"].toString(), row["address"].toString(), row["found_on"].toString()}),
                expected[i]);
            QCOMPARE(row["campaign"].toString(), QStringLiteral("1 - URL Search - http://a.test/"));
        }

        target = app.database.directory() + QStringLiteral("/missing/links.csv");
        click(exportButton);
        QCOMPARE(app.messages.shown().size(), 1);
        QVERIFY(app.messages.texts().first().contains(QStringLiteral("links.csv")));
    }
};

QTEST_MAIN(TestCampaignExport)
#include "test_campaign_export.moc"
