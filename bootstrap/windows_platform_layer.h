#pragma once
// The platform layer on Windows: the system directory, the version record, file attributes, the message
// box and the shell's "open" action, straight from the Win32 API. Only built for Windows.

#include "bootstrap/platform_layer.h"

class WindowsPlatformLayer final : public PlatformLayer {
public:
    std::string SystemDirectoryPath() override;
    std::string engineFileName() const override;
    OsVersionRecord versionRecord() override;
    std::uint32_t fileAttributes(const std::string& path) override;
    void showMessage(const std::string& title, const std::string& text) override;
    void openAddress(const std::string& address) override;
};
