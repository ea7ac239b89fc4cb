#include "search_history.h"

#include "app/session.h"
#include "ui/message_facade.h"

#include <QComboBox>

namespace vorlane::search {

SearchHistory::SearchHistory(app::Session& session, ui::MessageFacade& messages, store::CampaignType type,
                             QComboBox* box, bool& keepShown, QWidget* dialog)
    : QObject(dialog), m_session(session), m_messages(messages), m_type(type), m_box(box),
      m_keepShown(keepShown), m_dialog(dialog) {
    connect(m_box, &QComboBox::activated, this, &SearchHistory::picked);
}

void SearchHistory::load() {
    const store::DbResult<QStringList> sources = m_session.history(m_type);
    m_box->clear();
    m_box->addItem(QString::fromLatin1(kEraseHistoryEntry));
    if (sources)
        m_box->addItems(sources.value());
    m_box->setCurrentIndex(-1);
    m_box->setEditText(QString());
    if (!sources)
        m_messages.critical(m_dialog, sources.error());
}

void SearchHistory::append(const QString& text) {
    // Adding to a list with no current item would make the new item current and replace the typed text.
    const QString typed = m_box->currentText();
    m_box->addItem(text);
    m_box->setEditText(typed);
}

void SearchHistory::picked(int index) {
    if (m_box->itemText(index) != QLatin1String(kEraseHistoryEntry))
        return;
    m_keepShown = true;
    const QString question = m_type == store::CampaignType::UrlSearch
                                 ? QStringLiteral("Are you sure you want to erase all url history?")
                                 : QStringLiteral("Are you sure you want to erase all keyword history?");
    if (!m_messages.question(m_dialog, question))
        return;
    if (const store::DbStatus erased = m_session.eraseHistory(m_type); !erased) {
        m_messages.critical(m_dialog, erased.error());
        return;
    }
    m_box->clear();
    m_box->addItem(QString::fromLatin1(kEraseHistoryEntry));
    m_box->setCurrentIndex(-1);
    m_box->setEditText(QString());
}

} // namespace vorlane::search
