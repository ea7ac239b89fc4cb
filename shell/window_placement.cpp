#include "window_placement.h"

#include "ui/window_state.h"
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vorlane::shell {

void applyPlacement(QWidget& window, const ui::WindowState& state) {
    if (state.size)
        window.resize(*state.size);
    if (state.position) {
        // A screen that was there last time may be gone: else the window system places the window.
        const QRect wanted(*state.position, window.size());
        for (const QScreen* screen : QGuiApplication::screens()) {
            const QRect seen = wanted.intersected(screen->availableGeometry());
            if (seen.width() >= 50 && seen.height() >= 50) {
                window.setGeometry(wanted);
                break;
            }
        }
    }
    if (state.maximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void recordPlacement(const QWidget& window, ui::WindowState& state) {
    const QRect normal =
        window.isMaximized() || window.isMinimized() ? window.normalGeometry() : window.geometry();
    if (normal.isValid()) {
        state.size = normal.size();
        state.position = normal.topLeft();
    }
    state.maximized = window.isMaximized();
}

} // namespace vorlane::shell
