#pragma once
// The URL Filter group of the Settings dialog: the words and site addresses a crawl leaves out. Edited here
// only; the dialog stores them with the other settings when it is confirmed.

#include <QGroupBox>
#include <QList>
#include <QStringList>

namespace vorlane::ui {
class MessageFacade;
}
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vorlane::settings {

class UrlFilterGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit UrlFilterGroup(ui::MessageFacade& messages, QWidget* parent = nullptr);

    void setWords(const QStringList& words);
    QStringList words() const;
    // The controls in their tab order.
    QList<QWidget*> tabChain() const;

private:
    void addWord();
    void removeWord();
    void refuse(const QString& text, QWidget* focus = nullptr);

    ui::MessageFacade& m_messages;
    QListWidget* m_words = nullptr;
    QLineEdit* m_newWord = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
};

} // namespace vorlane::settings
