#pragma once
// Every message box of the program goes through this facade, so windows can be driven without a person.
// All boxes carry the application title "Vorlane".

#include <QString>

class QWidget;

namespace vorlane::ui {

inline const char* const kApplicationTitle = "Vorlane";

class MessageFacade {
public:
    virtual ~MessageFacade() = default;
    // Validation failure: critical-stop icon, OK.
    virtual void critical(QWidget* parent, const QString& text) = 0;
    // Question with Yes and No and no icon; true only for Yes.
    virtual bool question(QWidget* parent, const QString& text) = 0;
    // Information icon, OK.
    virtual void information(QWidget* parent, const QString& text) = 0;
};

class QMessageBoxFacade final : public MessageFacade {
public:
    void critical(QWidget* parent, const QString& text) override;
    bool question(QWidget* parent, const QString& text) override;
    void information(QWidget* parent, const QString& text) override;
};

} // namespace vorlane::ui
