#pragma once
// Ostrel's one job: when the database engine's library is missing, tell the user and open the download
// of the installer that fits the running Windows version. Every system call goes through the layer.

#include "bootstrap/platform_layer.h"

#include <string>
#include <string_view>

inline constexpr std::string_view kMissingComponentsTitle = "Vorlane 1.5.5 Installation";
inline constexpr std::string_view kMissingComponentsText =
    "You need to install certain Microsoft components before you can use Vorlane. \r\n"
    "Please hit Open when the download dialog appears.";

// The name of the running Windows version, as describeVersionRecord gives it for the layer's record.
std::string DescribeWindowsVersion(PlatformLayer& platform);

// Opens installerBaseUrl followed by installer, unchanged.
void OpenInstallerDownload(PlatformLayer& platform, std::string_view installerBaseUrl,
                           std::string_view installer);

// Runs the whole check once: silent when the engine is present; otherwise the message, then the
// download when an installer fits the version.
void CheckDatabaseEngine(PlatformLayer& platform, std::string_view installerBaseUrl);
