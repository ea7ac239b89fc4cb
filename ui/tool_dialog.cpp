#include "tool_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

namespace vorlane::ui {

ToolDialog::ToolDialog(bool& keepShown, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_keepShown(keepShown) {
    setModal(false);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &ToolDialog::onFocusWindowChanged);
}

void ToolDialog::showEvent(QShowEvent* event) {
    if (layout())
        layout()->setSizeConstraint(QLayout::SetFixedSize);
    if (!m_placed) {
        // Only the first time: a user who moved the window finds it where they left it.
        m_placed = true;
        adjustSize();
        QRect owner = parentWidget() ? parentWidget()->window()->frameGeometry() : QRect();
        if (!owner.isValid() && screen())
            owner = screen()->availableGeometry();
        if (owner.isValid())
            move(owner.center() - rect().center());
    }
    QDialog::showEvent(event);
}

void ToolDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

void ToolDialog::onFocusWindowChanged(QWindow* window) {
    if (!window || !isVisible() || window == windowHandle())
        return;
    QWidget* widget = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() == window) {
            widget = top;
            break;
        }
    }
    if (!widget)
        return;
    const Qt::WindowType type = widget->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen ||
        qobject_cast<QMessageBox*>(widget))
        return;
    if (m_keepShown) {
        m_keepShown = false;
        return;
    }
    hide();
}

} // namespace vorlane::ui
