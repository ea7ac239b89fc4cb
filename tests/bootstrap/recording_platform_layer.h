#pragma once
// A platform layer for tests: answers from fields the test sets and records every call in order.

#include "bootstrap/file_attributes.h"
#include "bootstrap/platform_layer.h"

#include <QString>
#include <QStringList>

class RecordingPlatformLayer final : public PlatformLayer {
public:
    std::string systemDirectory = "C:\\WINDOWS\\system32";
    OsVersionRecord record;
    std::uint32_t engineAttributes = FileAttribute::Invalid;

    std::string SystemDirectoryPath() override { return systemDirectory; }
    std::string engineFileName() const override { return "\\msjet40.dll"; }
    OsVersionRecord versionRecord() override { return record; }
    std::uint32_t fileAttributes(const std::string& path) override {
        calls << QStringLiteral("attributes ") + QString::fromStdString(path);
        return engineAttributes;
    }
    void showMessage(const std::string& title, const std::string& text) override {
        calls << QStringLiteral("message ") + QString::fromStdString(title);
        messageTexts << QString::fromStdString(text);
    }
    void openAddress(const std::string& address) override {
        calls << QStringLiteral("open ") + QString::fromStdString(address);
        opened << QString::fromStdString(address);
    }

    QStringList calls;
    QStringList messageTexts;
    QStringList opened;
};
