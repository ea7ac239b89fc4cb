#pragma once
// The modal Settings dialog: media types with their extensions and search engines with their links are
// written to the database at once; the URL filter list and the connection type only when OK is pressed.

#include <QDialog>

class AppContext;

class Settings : public QDialog {
    Q_OBJECT
public:
    explicit Settings(AppContext& context, QWidget* parent = nullptr);
    ~Settings() override;

private:
    AppContext& m_context;
};
