#include "bootstrap/version_name.h"

namespace {

std::string name9x(std::uint32_t minorVersion) {
    switch (minorVersion) {
    case 0:
        return "Windows 95";
    case 10:
        return "Windows 98";
    case 90:
        return "Windows ME";
    default:
        return {};
    }
}

std::string nameNt(std::uint32_t majorVersion, std::uint32_t minorVersion) {
    switch (majorVersion) {
    case 3:
        return "Windows NT 3.51";
    case 4:
        return "Windows NT 4.0";
    case 5:
        // XP and Server 2003 have installers of their own; any other 5.x is treated as Windows 2000.
        if (minorVersion == 1)
            return "Windows XP";
        if (minorVersion == 2)
            return "Windows 2003";
        return "Windows 2000";
    default:
        return {};
    }
}

} // namespace

std::string describeVersionRecord(const OsVersionRecord& record) {
    switch (record.platformId) {
    case kPlatformWindows9x:
        return name9x(record.minorVersion);
    case kPlatformWindowsNt:
        return nameNt(record.majorVersion, record.minorVersion);
    default:
        return "Failed";
    }
}
