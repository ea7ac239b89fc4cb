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
    // Only a plain file counts: a dot file is hidden, a folder is no file.
    void fileAttributes() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        for (const char* name : {"libqsqlite.so", ".libqsqlite.so"})
            QVERIFY(QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
        QtPlatformLayer platform;
        QList<bool> plain;
        for (const char* entry : {"libqsqlite.so", ".libqsqlite.so", "folder", "absent.so"})
            plain << isPlainFile(platform.fileAttributes(dir.filePath(entry).toStdString()));
        QCOMPARE(plain, (QList<bool>{true, false, false, false}));
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
