#pragma once
// Acts on a modal dialog that code under test opens with exec(): polls for the active modal widget with the
// given object name and hands it to `action` once it shows. Gives up after `timeoutMs`; seen() tells
// whether it ever showed.

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class ModalDriver {
public:
    ModalDriver(const QString& objectName, std::function<void(QWidget*)> action, int timeoutMs = 5000)
        : m_state(std::make_shared<State>()) {
        m_state->clock.start();
        auto state = m_state;
        auto* timer = new QTimer(qApp);
        state->timer = timer;
        QObject::connect(timer, &QTimer::timeout, timer, [state, objectName, action, timeoutMs, timer] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == objectName && modal->isVisible()) {
                state->seen = true;
                timer->stop();
                timer->deleteLater();
                state->timer = nullptr;
                action(modal);
            } else if (state->clock.elapsed() > timeoutMs) {
                timer->stop();
                timer->deleteLater();
                state->timer = nullptr;
            }
        });
        timer->start(10);
    }
    ~ModalDriver() {
        if (m_state->timer) {
            m_state->timer->stop();
            m_state->timer->deleteLater();
        }
    }
    bool seen() const { return m_state->seen; }

private:
    struct State {
        bool seen = false;
        QElapsedTimer clock;
        QTimer* timer = nullptr;
    };
    std::shared_ptr<State> m_state;
};
