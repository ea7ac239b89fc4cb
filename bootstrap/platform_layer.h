#pragma once
// The few system services Ostrel needs, so the check itself runs the same on every platform and in
// tests. Each call answers at once except showMessage, which returns only after the user closed the box.

#include "bootstrap/os_version_record.h"

#include <cstdint>
#include <string>

class PlatformLayer {
public:
    virtual ~PlatformLayer() = default;

    // The folder that holds the database engine's library, without a trailing separator.
    virtual std::string SystemDirectoryPath() = 0;
    // The engine library's file name with its leading separator, appended to SystemDirectoryPath().
    virtual std::string engineFileName() const = 0;
    // The running system's version record; platform id 0 when the version cannot be told.
    virtual OsVersionRecord versionRecord() = 0;
    // The attribute word of path (see file_attributes.h), FileAttribute::Invalid when it does not exist.
    virtual std::uint32_t fileAttributes(const std::string& path) = 0;
    // A message box with only an OK button and no icon.
    virtual void showMessage(const std::string& title, const std::string& text) = 0;
    // Hands address to the system's "open" action. Failure is not reported: the system's handler for
    // the address takes over, or nothing happens.
    virtual void openAddress(const std::string& address) = 0;
};
