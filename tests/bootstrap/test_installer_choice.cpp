// Which installer a version name leads to: the order of the tests and letter case.

#include "bootstrap/installer_choice.h"

#include <QTest>

class TestInstallerChoice : public QObject {
    Q_OBJECT

private slots:
    void chooseInstaller_data() {
        QTest::addColumn<QString>("osName");
        QTest::addColumn<QString>("installer");

        // clang-format off
        QTest::newRow("letter case ignored") << "windows nt 4.0" << "Win9598NT.exe";
        QTest::newRow("9x family before ME") << "ME 98" << "Win9598NT.exe";
        QTest::newRow("NT before 2000") << "NT 2000" << "Win9598NT.exe";
        QTest::newRow("ME before 2000") << "2000 me" << "WinME.exe";
        QTest::newRow("2000 before XP") << "XP 2000" << "Win2000.exe";
        QTest::newRow("XP before 2003") << "2003 xp" << "WinXP.exe";
        QTest::newRow("Failed") << "Failed" << "";
        QTest::newRow("empty") << "" << "";
        // clang-format on
    }

    void chooseInstaller() {
        QFETCH(QString, osName);
        QFETCH(QString, installer);
        QCOMPARE(QString::fromStdString(::chooseInstaller(osName.toStdString())), installer);
    }
};

QTEST_GUILESS_MAIN(TestInstallerChoice)
#include "test_installer_choice.moc"
