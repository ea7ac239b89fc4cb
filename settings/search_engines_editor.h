#pragma once
// The Search Engines group of the Settings dialog: the search engines and the search link of the selected
// one, each change written at once through the session. A failure is shown and leaves the lists as stored.

#include "ui/named_list_editor.h"

namespace vorlane::app {
class Session;
}

namespace vorlane::settings {

class SearchEnginesEditor : public ui::NamedListEditor {
    Q_OBJECT
public:
    SearchEnginesEditor(app::Session& session, ui::MessageFacade& messages, QWidget* parent = nullptr);

private:
    static Setup setup();
    void showLink(const QString& engine);
    void addEngine(const QString& name);
    void deleteEngine(const QString& name);
    void updateLink(const QString& engine, const QString& link);

    app::Session& m_session;
};

} // namespace vorlane::settings
