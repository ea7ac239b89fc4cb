#pragma once
// The behaviour the program's modeless tool windows share: fixed size, no minimise or maximise box,
// centred on the owner the first time it is shown, hidden (never closed) on a close request, and hidden
// when another window of the program becomes active, unless the keep-shown flag asks it to stay once.
// Message boxes, pop-up lists and other applications do not count as "another window of the program".

#include <QDialog>

class QWindow;

namespace vorlane::ui {

class ToolDialog : public QDialog {
    Q_OBJECT
public:
    // `keepShown` is the dialog's flag in the shared search state; it must outlive the dialog.
    ToolDialog(bool& keepShown, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool& keepShown() { return m_keepShown; }

private:
    void onFocusWindowChanged(QWindow* window);

    bool& m_keepShown;
    bool m_placed = false;
};

} // namespace vorlane::ui
