#pragma once
// The Media Types group of the Settings dialog: the media types and the file extensions of the selected one,
// each change written at once through the session. A failure is shown and leaves the lists as stored.

#include "ui/named_list_editor.h"

namespace vorlane::app {
class Session;
}

namespace vorlane::settings {

class MediaTypesEditor : public ui::NamedListEditor {
    Q_OBJECT
public:
    MediaTypesEditor(app::Session& session, ui::MessageFacade& messages, QWidget* parent = nullptr);

private:
    static Setup setup();
    void showExtensions(const QString& type);
    void addType(const QString& name);
    void deleteType(const QString& name);
    void addExtension(const QString& type, const QString& typed);
    void deleteExtension(const QString& type, int row);

    app::Session& m_session;
};

} // namespace vorlane::settings
