#pragma once
// The platform layer outside Windows. There is no Jet engine here: the component Vorlane needs is Qt's
// SQLite driver plugin, so that is the file looked for. The version record is empty (platform id 0),
// so no Windows installer is ever opened; the message is a plain Qt dialog.

#include "bootstrap/platform_layer.h"

class QtPlatformLayer final : public PlatformLayer {
public:
    // Qt's plugin folder for database drivers.
    std::string SystemDirectoryPath() override;
    std::string engineFileName() const override;
    OsVersionRecord versionRecord() override;
    // Hidden means a dot file; there are no system files.
    std::uint32_t fileAttributes(const std::string& path) override;
    // Creates the application object for the box when none exists yet, so a run that finds the
    // driver never needs a display.
    void showMessage(const std::string& title, const std::string& text) override;
    void openAddress(const std::string& address) override;
};
