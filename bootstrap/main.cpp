// Ostrel's entry: the platform layer of the system it was built for, and the download folder fixed at
// build time (the InstallerBaseUrl cache variable).

#include "bootstrap/database_engine_check.h"

#ifdef _WIN32
#include "bootstrap/windows_platform_layer.h"
using NativePlatformLayer = WindowsPlatformLayer;
#else
#include "bootstrap/qt_platform_layer.h"
using NativePlatformLayer = QtPlatformLayer;
#endif

int main() {
    NativePlatformLayer platform;
    CheckDatabaseEngine(platform, OSTREL_INSTALLER_BASE_URL);
    return 0;
}
