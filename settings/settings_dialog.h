#pragma once
// The modal Settings dialog. Media types with their extensions and search engines with their links are
// written to the database by each action at once (the session announces them to the other windows); the URL
// filter list, the connection type and the crawling options are edited here only and written by OK through
// Session::saveSettings. A database failure is shown through the message facade
// and abandons that action; the dialog stays usable.

#include <QDialog>

namespace vorlane::ui {
class MessageFacade;
}
class QComboBox;
class QGroupBox;
class QPushButton;
namespace vorlane::app {
class Session;
}

namespace vorlane::settings {

class CrawlingOptions;
class DownloadOptions;
class MediaTypesEditor;
class SearchEnginesEditor;
class UrlFilterGroup;

class Settings : public QDialog {
    Q_OBJECT
public:
    Settings(app::Session& session, ui::MessageFacade& messages, QWidget* parent = nullptr);
    ~Settings() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* buildConnection();
    void setTabOrder();
    void load();
    void confirm();

    app::Session& m_session;
    ui::MessageFacade& m_messages;

    MediaTypesEditor* m_mediaTypes = nullptr;
    SearchEnginesEditor* m_engines = nullptr;
    UrlFilterGroup* m_filter = nullptr;
    QComboBox* m_connection = nullptr; // Connex
    CrawlingOptions* m_crawling = nullptr;
    DownloadOptions* m_downloads = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;

    bool m_centred = false;
};

} // namespace vorlane::settings
