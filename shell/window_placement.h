#pragma once
// Where the main window stands, to and from the stored WindowState: the normal geometry (so leaving the
// maximised state next time returns to the size the user had) and whether it was maximised. A stored
// position is taken only where a good part of the window is visible on a screen there now.

class QWidget;
namespace vorlane::ui {
struct WindowState;
}

namespace vorlane::shell {

void applyPlacement(QWidget& window, const ui::WindowState& state);
void recordPlacement(const QWidget& window, ui::WindowState& state);

} // namespace vorlane::shell
