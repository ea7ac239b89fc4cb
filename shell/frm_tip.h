#pragma once
// The start-up information dialog frmTip: urges a new user to set the connection type and read the help.
// Each of its three buttons first stores "do not show again" when that box is checked, then closes the
// dialog; the caller acts on choice() afterwards (opens Settings or the help file). Closing the window
// any other way stores nothing and leaves choice() at None.

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace vorlane::shell {

class frmTip : public QDialog {
    Q_OBJECT
public:
    enum class Choice { None, UpdateConnection, ReadHelp, Cancel };

    explicit frmTip(QWidget* parent = nullptr);
    Choice choice() const { return m_choice; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void choose(Choice choice);
    void saveStartInfoChoice();

    QCheckBox* m_startNoShow;
    Choice m_choice = Choice::None;
};

} // namespace vorlane::shell
