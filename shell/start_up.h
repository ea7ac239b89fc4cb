#pragma once
// The splash StartUp: shown while the database is prepared, before any other window. It takes no input.

#include "splash_frame.h"
#include <QWidget>

namespace vorlane::shell {

class StartUp : public QWidget {
    Q_OBJECT
public:
    explicit StartUp(QWidget* parent = nullptr);

    const SplashFrame& parts() const { return m_parts; }
    // Shows the splash centred on the screen and lets it paint before a slow step follows.
    void showAndPaint();

private:
    SplashFrame m_parts;
};

} // namespace vorlane::shell
