// The whole check through a recording layer: version records to names and downloads, which engine files
// count as installed, and the order in which a version name chooses its installer.

#include "bootstrap/database_engine_check.h"
#include "bootstrap/file_attributes.h"
#include "bootstrap/installer_choice.h"
#include "bootstrap/platform_layer.h"

#include <QStringList>
#include <QTest>

namespace {
const char* const kBaseUrl = "http://downloads.example.test/product_exes/Jet/";
const QString kAttributesCall = QStringLiteral("attributes C:\\WINDOWS\\system32\\msjet40.dll");
const QString kMessageCall = QStringLiteral(
    "message Vorlane 1.5.5 Installation|You need to install certain Microsoft components before you can use "
    "Vorlane. \r\nPlease hit Open when the download dialog appears.");

// Answers from fields the test sets and records every call in order.
class RecordingPlatformLayer final : public PlatformLayer {
public:
    OsVersionRecord record;
    std::uint32_t engineAttributes = FileAttribute::Invalid;
    QStringList calls;

    std::string SystemDirectoryPath() override { return "C:\\WINDOWS\\system32"; }
    std::string engineFileName() const override { return "\\msjet40.dll"; }
    OsVersionRecord versionRecord() override { return record; }
    std::uint32_t fileAttributes(const std::string& path) override {
        calls << QStringLiteral("attributes ") + QString::fromStdString(path);
        return engineAttributes;
    }
    void showMessage(const std::string& title, const std::string& text) override {
        calls << QString::fromStdString("message " + title + "|" + text);
    }
    void openAddress(const std::string& address) override {
        calls << QString::fromStdString("open " + address);
    }
};
} // namespace

class TestDatabaseEngineCheck : public QObject {
    Q_OBJECT

private slots:
    void versionChoosesDownload_data() {
        QTest::addColumn<uint>("platformId");
        QTest::addColumn<uint>("major");
        QTest::addColumn<uint>("minor");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("installer");
        // clang-format off
        QTest::newRow("95") << 1u << 4u << 0u << "Windows 95" << "Win9598NT.exe";
        QTest::newRow("98") << 1u << 4u << 10u << "Windows 98" << "Win9598NT.exe";
        QTest::newRow("ME") << 1u << 4u << 90u << "Windows ME" << "WinME.exe";
        QTest::newRow("9x major is ignored") << 1u << 7u << 10u << "Windows 98" << "Win9598NT.exe";
        QTest::newRow("unlisted 9x") << 1u << 4u << 3u << "" << "";
        QTest::newRow("NT 3.51") << 2u << 3u << 51u << "Windows NT 3.51" << "Win9598NT.exe";
        QTest::newRow("NT 4.0") << 2u << 4u << 0u << "Windows NT 4.0" << "Win9598NT.exe";
        QTest::newRow("2000") << 2u << 5u << 0u << "Windows 2000" << "Win2000.exe";
        QTest::newRow("XP") << 2u << 5u << 1u << "Windows XP" << "WinXP.exe";
        QTest::newRow("2003") << 2u << 5u << 2u << "Windows 2003" << "Win2003.exe";
        QTest::newRow("other 5.x") << 2u << 5u << 7u << "Windows 2000" << "Win2000.exe";
        QTest::newRow("Vista") << 2u << 6u << 0u << "" << "";
        QTest::newRow("NT major 10") << 2u << 10u << 0u << "" << "";
        QTest::newRow("failed call") << 0u << 0u << 0u << "Failed" << "";
        QTest::newRow("unknown platform") << 3u << 5u << 0u << "Failed" << "";
        // clang-format on
    }
    void versionChoosesDownload() {
        QFETCH(uint, platformId);
        QFETCH(uint, major);
        QFETCH(uint, minor);
        QFETCH(QString, name);
        QFETCH(QString, installer);
        RecordingPlatformLayer platform;
        platform.record = OsVersionRecord{platformId, major, minor};
        QCOMPARE(QString::fromStdString(DescribeWindowsVersion(platform)), name);
        CheckDatabaseEngine(platform, kBaseUrl);
        // The message comes first and is shown even when no installer fits.
        QStringList expected{kAttributesCall, kMessageCall};
        if (!installer.isEmpty())
            expected << QStringLiteral("open ") + kBaseUrl + installer;
        QCOMPARE(platform.calls, expected);
    }

    void engineFileCountsWhenPlain_data() {
        QTest::addColumn<uint>("attributes");
        QTest::addColumn<bool>("installed");
        QTest::newRow("missing") << FileAttribute::Invalid << false;
        QTest::newRow("normal") << FileAttribute::Normal << true;
        QTest::newRow("read-only archive") << (FileAttribute::ReadOnly | FileAttribute::Archive) << true;
        QTest::newRow("hidden") << (FileAttribute::Hidden | FileAttribute::Archive) << false;
        QTest::newRow("system") << (FileAttribute::System | FileAttribute::Archive) << false;
        QTest::newRow("folder") << FileAttribute::Directory << false;
    }
    void engineFileCountsWhenPlain() {
        QFETCH(uint, attributes);
        QFETCH(bool, installed);
        RecordingPlatformLayer platform;
        platform.record = OsVersionRecord{2, 5, 0};
        platform.engineAttributes = attributes;
        CheckDatabaseEngine(platform, kBaseUrl);
        QStringList expected{kAttributesCall};
        if (!installed)
            expected << kMessageCall << QStringLiteral("open ") + kBaseUrl + "Win2000.exe";
        QCOMPARE(platform.calls, expected);
    }

    void installerChoiceOrder_data() {
        QTest::addColumn<QString>("osName");
        QTest::addColumn<QString>("installer");
        QTest::newRow("letter case ignored") << "windows nt 4.0"
                                             << "Win9598NT.exe";
        QTest::newRow("9x family before ME") << "ME 98"
                                             << "Win9598NT.exe";
        QTest::newRow("NT before 2000") << "NT 2000"
                                        << "Win9598NT.exe";
        QTest::newRow("ME before 2000") << "2000 me"
                                        << "WinME.exe";
        QTest::newRow("2000 before XP") << "XP 2000"
                                        << "Win2000.exe";
        QTest::newRow("XP before 2003") << "2003 xp"
                                        << "WinXP.exe";
    }
    void installerChoiceOrder() {
        QFETCH(QString, osName);
        QFETCH(QString, installer);
        QCOMPARE(QString::fromStdString(chooseInstaller(osName.toStdString())), installer);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseEngineCheck)
#include "test_database_engine_check.moc"
