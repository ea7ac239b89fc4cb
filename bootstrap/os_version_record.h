#pragma once
// The fields of the system's version record that name a Windows version, kept free of <windows.h> so
// the naming rules build and run anywhere. A zero record (platform id 0) means the version is unknown.

#include <cstdint>

struct OsVersionRecord {
    std::uint32_t platformId = 0;
    std::uint32_t majorVersion = 0;
    std::uint32_t minorVersion = 0;
};
