// The whole check through a recording layer: version records to names and downloads, and which engine
// files count as installed.

#include "bootstrap/database_engine_check.h"
#include "bootstrap/file_attributes.h"
#include "bootstrap/platform_layer.h"
#include "tests/support/table_rows.h"

#include <QStringList>

namespace {
const char* const kBaseUrl = "http://downloads.example.test/product_exes/Jet/";
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
        note("attributes " + path);
        return engineAttributes;
    }
    void showMessage(const std::string& title, const std::string& text) override {
        note("message " + title + "|" + text);
    }
    void openAddress(const std::string& address) override { note("open " + address); }
    void note(const std::string& call) { calls << QString::fromStdString(call); }
};
} // namespace

class TestDatabaseEngineCheck : public QObject {
    Q_OBJECT

private slots:
    // Each version record with the engine file missing, then a plain, hidden, system or folder engine file.
    void check_data() {
        // version: platform id, major and minor version
        addColumns<QList<uint>, uint, QString, QString>({"version", "attributes", "name", "installer"});
        using V = QList<uint>;
        const uint missing = FileAttribute::Invalid, archive = FileAttribute::Archive;
        addRow("95", V{1, 4, 0}, missing, "Windows 95", "Win9598NT.exe");
        addRow("98", V{1, 4, 10}, missing, "Windows 98", "Win9598NT.exe");
        addRow("ME", V{1, 4, 90}, missing, "Windows ME", "WinME.exe");
        addRow("9x major is ignored", V{1, 7, 10}, missing, "Windows 98", "Win9598NT.exe");
        addRow("unlisted 9x", V{1, 4, 3}, missing, "", "");
        addRow("NT 3.51", V{2, 3, 51}, missing, "Windows NT 3.51", "Win9598NT.exe");
        addRow("NT 4.0", V{2, 4, 0}, missing, "Windows NT 4.0", "Win9598NT.exe");
        addRow("2000", V{2, 5, 0}, missing, "Windows 2000", "Win2000.exe");
        addRow("XP", V{2, 5, 1}, missing, "Windows XP", "WinXP.exe");
        addRow("2003", V{2, 5, 2}, missing, "Windows 2003", "Win2003.exe");
        addRow("other 5.x", V{2, 5, 7}, missing, "Windows 2000", "Win2000.exe");
        addRow("Vista", V{2, 6, 0}, missing, "", "");
        addRow("NT major 10", V{2, 10, 0}, missing, "", "");
        addRow("failed call", V{0, 0, 0}, missing, "Failed", "");
        addRow("unknown platform", V{3, 5, 0}, missing, "Failed", "");
        // "-": the engine file counts as installed, so nothing is shown.
        addRow("normal file", V{2, 5, 0}, uint(FileAttribute::Normal), "Windows 2000", "-");
        addRow("read-only archive", V{2, 5, 0}, FileAttribute::ReadOnly | archive, "Windows 2000", "-");
        addRow("hidden file", V{2, 5, 0}, FileAttribute::Hidden | archive, "Windows 2000", "Win2000.exe");
        addRow("system file", V{2, 5, 0}, FileAttribute::System | archive, "Windows 2000", "Win2000.exe");
        addRow("folder", V{2, 5, 0}, uint(FileAttribute::Directory), "Windows 2000", "Win2000.exe");
    }
    void check() {
        auto [version, attributes, name, installer] =
            fetchRow<QList<uint>, uint, QString, QString>({"version", "attributes", "name", "installer"});
        RecordingPlatformLayer platform;
        platform.record = OsVersionRecord{version[0], version[1], version[2]};
        platform.engineAttributes = attributes;
        QCOMPARE(QString::fromStdString(DescribeWindowsVersion(platform)), name);
        CheckDatabaseEngine(platform, kBaseUrl);
        // The message comes first and is shown even when no installer fits.
        QStringList expected{"attributes C:\\WINDOWS\\system32\\msjet40.dll"};
        if (installer != u"-")
            expected << kMessageCall;
        if (installer.endsWith(u".exe"))
            expected << QStringLiteral("open ") + kBaseUrl + installer;
        QCOMPARE(platform.calls, expected);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseEngineCheck)
#include "test_database_engine_check.moc"
