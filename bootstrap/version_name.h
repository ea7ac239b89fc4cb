#pragma once
// Names a Windows version from its version record: "Failed" for an unknown platform, an empty text for
// an unlisted version of a known platform. Pure; the platform layer supplies the record.

#include "bootstrap/os_version_record.h"

#include <string>

// Platform ids of the version record (dwPlatformId): the 9x family and the NT family.
inline constexpr std::uint32_t kPlatformWindows9x = 1;
inline constexpr std::uint32_t kPlatformWindowsNt = 2;

std::string describeVersionRecord(const OsVersionRecord& record);
