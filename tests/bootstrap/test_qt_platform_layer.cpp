// The layer Ostrel uses outside Windows, against real files and a real (offscreen) dialog.

#include "bootstrap/database_engine_check.h"
#include "bootstrap/file_attributes.h"
#include "bootstrap/qt_platform_layer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// Closes every modal box as it appears and keeps its title and text, so a run that would block on a
// dialog returns and the test can see what was shown.
class BoxCloser : public QObject {
public:
    BoxCloser() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen << box->windowTitle() + QLatin1Char('|') + box->text();
                box->accept();
            }
        });
        m_timer.start(10);
    }
    QStringList seen;

private:
    QTimer m_timer;
};
} // namespace

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
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        for (const char* name : {"libqsqlite.so", ".libqsqlite.so"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QtPlatformLayer platform;
        QCOMPARE(isPlainFile(platform.fileAttributes(QFile::encodeName(dir.filePath(entry)).toStdString())),
                 plain);
    }

    void findsTheInstalledSqliteDriver() {
        // This machine has Qt's SQLite driver (the build needs it), so the check stays silent.
        QtPlatformLayer platform;
        QVERIFY(
            isPlainFile(platform.fileAttributes(platform.SystemDirectoryPath() + platform.engineFileName())));
        BoxCloser closer;
        CheckDatabaseEngine(platform, "http://downloads.example.test/product_exes/Jet/");
        QCOMPARE(closer.seen, QStringList());
    }

    void showsThePlainMessage() {
        QtPlatformLayer platform;
        BoxCloser closer;
        platform.showMessage("Vorlane 1.5.5 Installation", "first line \r\nsecond line");
        QCOMPARE(closer.seen,
                 QStringList{QStringLiteral("Vorlane 1.5.5 Installation|first line \nsecond line")});
    }
};

QTEST_MAIN(TestQtPlatformLayer)
#include "test_qt_platform_layer.moc"
