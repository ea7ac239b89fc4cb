#pragma once
// The Web Search dialog: a keyword, a media type and an engine ("*All*" or one engine). Validates them in a
// fixed order with fixed messages, starts the web crawl through the context's web engine and hosts its
// Pause/Resume and Stop buttons. Lives for the whole run; closing only hides it.

#include "search/tool_dialog.h"

class AppContext;
class QComboBox;
class QPushButton;
class SearchActivity;
class SearchHistory;

class WebSearch : public ToolDialog {
    Q_OBJECT
public:
    WebSearch(AppContext& context, QWidget* parent = nullptr);

private:
    void fillMediaTypes();
    void fillEngines();
    void mediaTypePicked(int index);
    void search();
    void refuse(const QString& text, QWidget* focus);

    AppContext& m_context;
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
