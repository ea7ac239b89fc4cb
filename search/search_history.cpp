#include "search_history.h"

#include "store/history_store.h"
#include "ui/app_context.h"
#include "ui/message_facade.h"

#include <QComboBox>

void ClearSearchHistory(AppContext& context, CampaignType type, int campaignId, QComboBox* list) {
    if (HistoryStore(context.db()).clearHistory(type, campaignId))
        emit context.historyChanged();
    list->clear();
    list->addItem(QString::fromLatin1(kEraseHistoryEntry));
    list->setCurrentIndex(-1);
    list->setEditText(QString());
}

SearchHistory::SearchHistory(AppContext& context, CampaignType type, QComboBox* box, bool& keepShown,
                             QWidget* dialog)
    : QObject(dialog), m_context(context), m_type(type), m_box(box), m_keepShown(keepShown),
      m_dialog(dialog) {
    connect(m_box, &QComboBox::activated, this, &SearchHistory::picked);
}

void SearchHistory::load() {
    QStringList items{QString::fromLatin1(kEraseHistoryEntry)};
    const DbStatus filled = HistoryStore(m_context.db()).fillHistory(m_type, items);
    m_box->clear();
    m_box->addItems(filled ? items : QStringList{items.first()});
    m_box->setCurrentIndex(-1);
    m_box->setEditText(QString());
    if (!filled)
        m_context.messages().critical(m_dialog, filled.error());
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
    const QString question = m_type == CampaignType::UrlSearch
                                 ? QStringLiteral("Are you sure you want to erase all url history?")
                                 : QStringLiteral("Are you sure you want to erase all keyword history?");
    if (!m_context.messages().question(m_dialog, question))
        return;
    HistoryStore store(m_context.db());
    const DbResult<int> newest = store.maxCampaignId(m_type);
    if (!newest) {
        m_context.messages().critical(m_dialog, newest.error());
        return;
    }
    ClearSearchHistory(m_context, m_type, newest.value(), m_box);
}
