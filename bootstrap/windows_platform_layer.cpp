#include "bootstrap/windows_platform_layer.h"

#include "bootstrap/file_attributes.h"

#include <cstring>

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

static_assert(FileAttribute::ReadOnly == FILE_ATTRIBUTE_READONLY);
static_assert(FileAttribute::Hidden == FILE_ATTRIBUTE_HIDDEN);
static_assert(FileAttribute::System == FILE_ATTRIBUTE_SYSTEM);
static_assert(FileAttribute::Directory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(FileAttribute::Archive == FILE_ATTRIBUTE_ARCHIVE);
static_assert(FileAttribute::Normal == FILE_ATTRIBUTE_NORMAL);
static_assert(FileAttribute::Invalid == INVALID_FILE_ATTRIBUTES);
// The record size GetVersionExA is told; the ANSI record has kept this layout since Windows 95.
static_assert(sizeof(OSVERSIONINFOA) == 148);

namespace {
constexpr UINT kSystemDirectoryBufferSize = 256;
}

std::string WindowsPlatformLayer::SystemDirectoryPath() {
    // A failed call leaves the blanks, which name no real folder, so the engine then counts as missing.
    std::string buffer(kSystemDirectoryBufferSize, ' ');
    GetSystemDirectoryA(buffer.data(), kSystemDirectoryBufferSize);
    const auto end = buffer.find('\0');
    if (end != std::string::npos)
        buffer.resize(end);
    return buffer;
}

std::string WindowsPlatformLayer::engineFileName() const {
    return "\\msjet40.dll";
}

OsVersionRecord WindowsPlatformLayer::versionRecord() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    std::memset(info.szCSDVersion, ' ', sizeof(info.szCSDVersion));
    // On failure the record keeps platform id 0, which names the version "Failed".
    GetVersionExA(&info);
    return OsVersionRecord{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

std::uint32_t WindowsPlatformLayer::fileAttributes(const std::string& path) {
    return GetFileAttributesA(path.c_str());
}

void WindowsPlatformLayer::showMessage(const std::string& title, const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK);
}

void WindowsPlatformLayer::openAddress(const std::string& address) {
    // Shell extensions that handle URLs may be COM objects, so the thread joins an apartment first.
    // It is left at process end, which follows right after.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
