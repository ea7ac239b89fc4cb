#pragma once
// Where the main window stands, to and from the stored WindowState: the normal geometry (so leaving the
// maximised state next time returns to the size the user had) and whether it was maximised. A stored
// position is taken only where a good part of the window is visible on a screen there now.

class QWidget;
namespace vorlane::ui {
struct WindowState;
}

void applyPlacement(QWidget& window, const vorlane::ui::WindowState& state);
void recordPlacement(const QWidget& window, vorlane::ui::WindowState& state);
