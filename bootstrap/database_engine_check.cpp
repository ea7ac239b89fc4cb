#include "bootstrap/database_engine_check.h"

#include "bootstrap/file_attributes.h"
#include "bootstrap/installer_choice.h"
#include "bootstrap/version_name.h"

std::string DescribeWindowsVersion(PlatformLayer& platform) {
    return describeVersionRecord(platform.versionRecord());
}

void OpenInstallerDownload(PlatformLayer& platform, std::string_view installerBaseUrl,
                           std::string_view installer) {
    std::string address(installerBaseUrl);
    address += installer;
    platform.openAddress(address);
}

void CheckDatabaseEngine(PlatformLayer& platform, std::string_view installerBaseUrl) {
    const std::string path = platform.SystemDirectoryPath() + platform.engineFileName();
    const std::string osName = DescribeWindowsVersion(platform);
    if (isPlainFile(platform.fileAttributes(path)))
        return;

    platform.showMessage(std::string(kMissingComponentsTitle), std::string(kMissingComponentsText));

    // An unknown version still gets the message: the user learns what is missing even when no
    // installer can be picked for them.
    const std::string installer = chooseInstaller(osName);
    if (!installer.empty())
        OpenInstallerDownload(platform, installerBaseUrl, installer);
}
