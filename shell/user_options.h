#pragma once
// The three user options kept in the per-user settings store (organisation and application "Vorlane",
// group "Options"): "ShowStartInfo", "ShowAskTrayExit" and "Exit". Every read goes to the store afresh,
// so a choice made in one window counts at once everywhere. Values are written as text; a stored value
// that is not a number (or, for "Exit", not a truth value) reads as the key's default.

#include <QString>

namespace vorlane::shell {

class UserOptions {
public:
    // "ShowStartInfo" equals 1 (default 1): the start-up information dialog is shown.
    static bool showStartInfo();
    // "ShowAskTrayExit" equals 1 (default 1): closing the main window asks what to do.
    static bool showAskTrayExit();
    // "Exit" (default false): the remembered answer; true ends the program, false hides it to the tray.
    static bool exitOnClose();

    static void setShowStartInfoOff();     // "ShowStartInfo" = "0"
    static void setShowAskTrayExitOff();   // "ShowAskTrayExit" = "0"
    static void setExitOnClose(bool exit); // "Exit" = "True" / "False"

    // How a stored text reads; public so the rules can be checked on their own.
    static bool readNumberIsOne(const QString& stored, bool absent, bool fallback);
    static bool readTruthValue(const QString& stored, bool absent, bool fallback);
};

} // namespace vorlane::shell
