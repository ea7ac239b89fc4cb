#include "settings/url_filter_group.h"

#include "ui/dialog_controls.h"
#include "ui/message_facade.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane::settings {

UrlFilterGroup::UrlFilterGroup(ui::MessageFacade& messages, QWidget* parent)
    : QGroupBox(tr("URL Filter"), parent), m_messages(messages) {
    const QString prompt = tr("List words or website URLs you want to filter out:");
    m_words = new QListWidget;
    m_words->setObjectName(QStringLiteral("FilterWords"));
    m_words->setAccessibleName(prompt);
    m_words->setSelectionMode(QAbstractItemView::SingleSelection);
    m_words->setSortingEnabled(false);
    m_newWord = new QLineEdit;
    m_newWord->setObjectName(QStringLiteral("AddFilter"));
    m_newWord->setAccessibleName(tr("New filter word or URL"));
    m_add = ui::makeDialogButton("AddFilt", tr("Add"), nullptr);
    m_remove = ui::makeDialogButton("FilterDel", tr("Remove"), nullptr);

    // A handful of words is the usual list; the group need not outgrow the one beside it by much.
    m_words->setFixedHeight(m_words->fontMetrics().lineSpacing() * 7 + 2 * m_words->frameWidth());

    auto* label = new QLabel(prompt);
    label->setBuddy(m_words);
    auto* row = new QHBoxLayout;
    row->addWidget(m_newWord);
    row->addWidget(m_add);
    row->addWidget(m_remove);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_words);
    layout->addLayout(row);
    layout->addStretch(); // the groups beside it set the height; the list stays with its prompt

    connect(m_add, &QPushButton::clicked, this, &UrlFilterGroup::addWord);
    connect(m_remove, &QPushButton::clicked, this, &UrlFilterGroup::removeWord);
}

void UrlFilterGroup::setWords(const QStringList& words) {
    m_words->clear();
    m_words->addItems(words);
}

QStringList UrlFilterGroup::words() const {
    QStringList words;
    words.reserve(m_words->count());
    for (int row = 0; row < m_words->count(); ++row)
        words << m_words->item(row)->text();
    return words;
}

QList<QWidget*> UrlFilterGroup::tabChain() const {
    return {m_words, m_newWord, m_add, m_remove};
}

void UrlFilterGroup::refuse(const QString& text, QWidget* focus) {
    m_messages.critical(window(), text);
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);
}

void UrlFilterGroup::addWord() {
    const QString word = m_newWord->text().trimmed();
    if (word.isEmpty())
        return refuse(tr("Please enter a word or website address to filter out."), m_newWord);
    // Letter case counts: the crawl's filter test is case-sensitive too.
    if (words().contains(word))
        return refuse(tr("The filter word or URL you entered already exists in the filter list."), m_newWord);
    m_words->addItem(word);
    m_newWord->clear();
}

void UrlFilterGroup::removeWord() {
    const auto selected = m_words->selectedItems();
    if (selected.isEmpty())
        return refuse(tr("Please select a filter item first."));
    if (m_messages.question(window(), tr("Are you sure you want to remove the selected filter item?")))
        delete m_words->takeItem(m_words->row(selected.first()));
}

} // namespace vorlane::settings
