#include "settings/settings_dialog.h"

#include "ui/app_context.h"

Settings::Settings(AppContext& context, QWidget* parent) : QDialog(parent), m_context(context) {
    setWindowTitle(tr("Settings"));
}

Settings::~Settings() = default;
