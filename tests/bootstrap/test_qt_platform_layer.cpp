// The layer Ostrel uses outside Windows, against real files and a real (offscreen) dialog.

#include "bootstrap/database_engine_check.h"
#include "bootstrap/file_attributes.h"
#include "bootstrap/qt_platform_layer.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestQtPlatformLayer : public QObject {
    Q_OBJECT

private slots:
    void fileAttributes_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("plain");
        QTest::newRow("plain file") << "libqsqlite.so" << true;
        QTest::newRow("dot file") << ".libqsqlite.so" << false;
        QTest::newRow("folder") << "folder" << false;
        QTest::newRow("missing") << "absent.so" << false;
    }
    void fileAttributes() {
        QFETCH(QString, entry);
        QFETCH(bool, plain);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        for (const char* name : {"libqsqlite.so", ".libqsqlite.so"})
            QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        QtPlatformLayer platform;
        QCOMPARE(isPlainFile(platform.fileAttributes(QFile::encodeName(dir.filePath(entry)).toStdString())),
                 plain);
    }

    void messageOnlyWhenTheDriverIsMissing() {
        // Closes each modal box as it appears and keeps its title and text, so nothing blocks.
        QStringList seen;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&seen] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen << box->windowTitle() + QLatin1Char('|') + box->text();
                box->accept();
            }
        });
        closer.start(10);
        // This machine has Qt's SQLite driver (the build needs it), so the check stays silent.
        QtPlatformLayer platform;
        CheckDatabaseEngine(platform, "http://downloads.example.test/product_exes/Jet/");
        QCOMPARE(seen, QStringList());
        platform.showMessage("Vorlane 1.5.5 Installation", "first line \r\nsecond line");
        QCOMPARE(seen, QStringList{QStringLiteral("Vorlane 1.5.5 Installation|first line \nsecond line")});
    }
};

QTEST_MAIN(TestQtPlatformLayer)
#include "test_qt_platform_layer.moc"
