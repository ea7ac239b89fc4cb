#pragma once
// The framed panel the splash StartUp and the about box share: Frame1 filling the window, the logo
// imgLogo, lblProductName (the application title), lblVersion ("Version 1.5.5") and lblCopyright.

class QFrame;
class QLabel;
class QWidget;
class QString;

namespace vorlane::shell {

struct SplashFrame {
    QFrame* frame = nullptr;
    QLabel* logo = nullptr;
    QLabel* productName = nullptr;
    QLabel* version = nullptr;
    QLabel* copyright = nullptr;
};

// Builds the panel into `host` (which gets a layout) and fills the labels. `host` is sized to the
// designed 7380 x 4245 twips.
SplashFrame buildSplashFrame(QWidget* host);

// "Version " and the program's major.minor.revision.
QString versionText();

} // namespace vorlane::shell
