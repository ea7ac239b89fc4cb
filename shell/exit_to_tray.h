#pragma once
// The exit question ExitToTray ("Notification"), shown modeless when the main window is closed: hide to
// the tray or end the program, optionally remembered. OK writes "Exit" (always) and "ShowAskTrayExit" =
// "0" (when remembered), closes the dialog and then asks for hiding or ending by a signal. Cancel, and
// the dialog losing activation to any other window, close it and change nothing. It deletes itself.

#include <QDialog>

class QCheckBox;
class QRadioButton;

namespace vorlane::shell {

class ExitToTray : public QDialog {
    Q_OBJECT
public:
    explicit ExitToTray(QWidget* parent);
    // Tells, under the question, how many downloads resume at the next start (nothing for 0).
    void setResumingDownloads(int count);

signals:
    void hideRequested();
    void exitRequested();

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ok();

    QRadioButton* m_minTray;
    QRadioButton* m_exitApp;
    QCheckBox* m_remember;
    bool m_wasActive = false;
};

} // namespace vorlane::shell
