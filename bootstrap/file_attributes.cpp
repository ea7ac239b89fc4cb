#include "bootstrap/file_attributes.h"

bool isPlainFile(std::uint32_t attributes) {
    if (attributes == FileAttribute::Invalid)
        return false;
    // A hidden or system copy is what an uninstaller or a broken setup leaves behind; the engine is
    // only trusted when its library is an ordinary file.
    constexpr std::uint32_t excluded =
        FileAttribute::Hidden | FileAttribute::System | FileAttribute::Directory;
    return (attributes & excluded) == 0;
}
