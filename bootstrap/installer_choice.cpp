#include "bootstrap/installer_choice.h"

#include <algorithm>
#include <array>

namespace {

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

struct InstallerRule {
    std::string_view marker;
    std::string_view installer;
};

// Order matters: the first marker found wins, so the 9x/NT family is recognised before "ME" and
// "2000" before "XP" and "2003".
constexpr std::array kRules{
    InstallerRule{"98", "Win9598NT.exe"}, InstallerRule{"95", "Win9598NT.exe"},
    InstallerRule{"NT", "Win9598NT.exe"}, InstallerRule{"ME", "WinME.exe"},
    InstallerRule{"2000", "Win2000.exe"}, InstallerRule{"XP", "WinXP.exe"},
    InstallerRule{"2003", "Win2003.exe"},
};

} // namespace

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    const auto found = std::search(text.begin(), text.end(), part.begin(), part.end(),
                                   [](char a, char b) { return foldCase(a) == foldCase(b); });
    return found != text.end() || part.empty();
}

std::string chooseInstaller(std::string_view osName) {
    for (const InstallerRule& rule : kRules) {
        if (containsIgnoringCase(osName, rule.marker))
            return std::string(rule.installer);
    }
    return {};
}
