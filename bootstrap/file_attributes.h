#pragma once
// The file attribute word as Windows reports it (GetFileAttributesA), and the rule that decides whether
// a file counts as installed: it must exist as a plain file, neither hidden nor a system file nor a
// folder. Other platform layers translate what they know into the same word.

#include <cstdint>

namespace FileAttribute {
// Values fixed by the Win32 ABI; the Windows layer checks them against <windows.h>.
inline constexpr std::uint32_t ReadOnly = 0x1;
inline constexpr std::uint32_t Hidden = 0x2;
inline constexpr std::uint32_t System = 0x4;
inline constexpr std::uint32_t Directory = 0x10;
inline constexpr std::uint32_t Archive = 0x20;
inline constexpr std::uint32_t Normal = 0x80;
// What the system answers for a path that does not exist or cannot be read.
inline constexpr std::uint32_t Invalid = 0xFFFFFFFF;
} // namespace FileAttribute

bool isPlainFile(std::uint32_t attributes);
