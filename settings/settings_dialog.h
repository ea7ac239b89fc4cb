#pragma once
// The modal Settings dialog. Media types with their extensions and search engines with their links are
// written to the database by each action at once (the session announces them to the other windows); the URL
// filter list, the connection type and the crawling options are edited here only and written by OK through
// Session::saveSettings. A database failure is shown through the message facade
// and abandons that action; the dialog stays usable.

#include <QDialog>
#include <QStringList>

class MediaTypesEditor;
class MessageFacade;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class SearchEnginesEditor;
class Session;

class Settings : public QDialog {
    Q_OBJECT
public:
    Settings(Session& session, MessageFacade& messages, QWidget* parent = nullptr);
    ~Settings() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildUrlFilter(QGroupBox* group);
    void buildConnection(QGroupBox* group);
    void buildCrawling(QGroupBox* group);
    void setTabOrder();
    void load();

    void addFilter();
    void removeFilter();
    void confirm();

    void refuse(const QString& text, QWidget* focus = nullptr);

    Session& m_session;
    MessageFacade& m_messages;

    MediaTypesEditor* m_mediaTypes = nullptr;
    SearchEnginesEditor* m_engines = nullptr;

    QListWidget* m_filterWords = nullptr;
    QLineEdit* m_newFilter = nullptr;
    QPushButton* m_addFilter = nullptr;
    QPushButton* m_removeFilter = nullptr;

    QComboBox* m_connection = nullptr; // Connex
    QCheckBox* m_sameSite = nullptr;
    QCheckBox* m_obeyRobots = nullptr;
    QSpinBox* m_maxPerHost = nullptr;
    QSpinBox* m_hostDelay = nullptr;
    QCheckBox* m_retryAfter = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;

    bool m_centred = false;
};
