#pragma once
// The about box: the splash panel plus "CLICK ON SPLASH SCREEN TO CLOSE". Any key, or a click on the
// panel's free area (not on a label or the logo), closes it. It deletes itself when closed.

#include "splash_frame.h"
#include <QDialog>

namespace vorlane::shell {

class About : public QDialog {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);

    const SplashFrame& parts() const { return m_parts; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SplashFrame m_parts;
};

} // namespace vorlane::shell
