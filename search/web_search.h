#pragma once
// The Web Search dialog: a keyword, a media type and an engine ("*All*" or one engine). Validates them in a
// fixed order with fixed messages, starts the web search through the session and hosts its
// Pause/Resume and Stop buttons. Lives for the whole run; closing only hides it.

#include "ui/tool_dialog.h"

namespace vorlane::ui {
class MessageFacade;
}
class QComboBox;
class QPushButton;
namespace vorlane::app {
class Session;
}

namespace vorlane::search {

class SearchActivity;
class SearchHistory;
class WebSearch : public ui::ToolDialog {
    Q_OBJECT
public:
    WebSearch(app::Session& session, ui::MessageFacade& messages, QWidget* parent = nullptr);

    // The extensions of the media type picked last (empty for a type without any).
    const QString& pickedExtensions() const { return m_extensions; }

private:
    void fillMediaTypes();
    void fillEngines();
    void mediaTypePicked(int index);
    void search();
    void refuse(const QString& text, QWidget* focus);

    app::Session& m_session;
    ui::MessageFacade& m_messages;
    QString m_extensions; // of the media type picked
    QComboBox* m_keyword;
    QComboBox* m_mediaType;
    QComboBox* m_engine;
    QPushButton* m_search;
    QPushButton* m_pauseResume;
    QPushButton* m_stop;
    QPushButton* m_close;
    SearchActivity* m_activity;
    SearchHistory* m_history;
};

} // namespace vorlane::search
