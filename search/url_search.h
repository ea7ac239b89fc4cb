#pragma once
// The URL Search dialog: a start address, a media type and a depth. Validates them in a fixed order with
// fixed messages, starts the URL crawl through the context's URL engine and hosts its Pause/Resume and
// Stop buttons. Lives for the whole run; closing only hides it.

#include "search/tool_dialog.h"

class AppContext;
class QComboBox;
class QPushButton;
class SearchActivity;
class SearchHistory;

class URLSearch : public ToolDialog {
    Q_OBJECT
public:
    URLSearch(AppContext& context, QWidget* parent = nullptr);

    // The main window calls this before showing the dialog: "http://" into an empty address box while no
    // URL search runs.
    void prefillAddressIfIdle();

private:
    void fillMediaTypes();
    void mediaTypePicked(int index);
    void search();
    void refuse(const QString& text, QWidget* focus);

    AppContext& m_context;
    QComboBox* m_url;
    QComboBox* m_mediaType;
    QComboBox* m_depth;
    QPushButton* m_search;
    QPushButton* m_pauseResume;
    QPushButton* m_stop;
    QPushButton* m_close;
    SearchActivity* m_activity;
    SearchHistory* m_history;
};
