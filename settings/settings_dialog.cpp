#include "settings/settings_dialog.h"

#include "app/session.h"
#include "settings/media_types_editor.h"
#include "settings/search_engines_editor.h"
#include "ui/message_facade.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QStringList itemsOf(const QListWidget* list) {
    QStringList items;
    items.reserve(list->count());
    for (int row = 0; row < list->count(); ++row)
        items << list->item(row)->text();
    return items;
}

// The selected item, or null.
QListWidgetItem* selectedItem(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QListWidget* makeList(const char* objectName, const QString& accessibleName) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromLatin1(objectName));
    list->setAccessibleName(accessibleName);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    return list;
}

QLineEdit* makeEdit(const char* objectName, const QString& accessibleName) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setAccessibleName(accessibleName);
    return edit;
}

QPushButton* makeButton(const char* objectName, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAccessibleName(caption);
    // No button of this dialog is pressed by Enter.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QCheckBox* makeCheck(const char* objectName, const QString& caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setAccessibleName(caption);
    return box;
}

QSpinBox* makeSpin(const char* objectName, const QString& accessibleName, int maximum, const QString& zero) {
    auto* spin = new QSpinBox;
    spin->setObjectName(QString::fromLatin1(objectName));
    spin->setAccessibleName(accessibleName);
    spin->setRange(0, maximum);
    spin->setSpecialValueText(zero);
    return spin;
}

QLabel* makeLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

} // namespace

Settings::Settings(Session& session, MessageFacade& messages, QWidget* parent)
    : QDialog(parent), m_session(session), m_messages(messages) {
    setObjectName(QStringLiteral("Settings"));
    setWindowTitle(tr("Settings"));
    setAccessibleName(tr("Settings"));
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon());

    m_mediaTypes = new MediaTypesEditor(session, messages);
    m_engines = new SearchEnginesEditor(session, messages);
    auto* filter = new QGroupBox(tr("URL Filter"));
    auto* connection = new QGroupBox(tr("Connection"));
    auto* crawling = new QGroupBox(tr("Crawling"));
    buildUrlFilter(filter);
    buildConnection(connection);
    buildCrawling(crawling);

    m_ok = makeButton("Command1", tr("OK"));
    m_cancel = makeButton("Command2", tr("Cancel"));
    connect(m_ok, &QPushButton::clicked, this, &Settings::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_mediaTypes, 0, 0);
    grid->addWidget(m_engines, 0, 1);
    grid->addWidget(filter, 1, 0);
    auto* lowerRight = new QVBoxLayout;
    lowerRight->addWidget(connection);
    lowerRight->addWidget(crawling);
    lowerRight->addStretch();
    grid->addLayout(lowerRight, 1, 1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder();
    load();
}

Settings::~Settings() = default;

void Settings::buildUrlFilter(QGroupBox* group) {
    const QString prompt = tr("List words or website URLs you want to filter out:");
    m_filterWords = makeList("FilterWords", prompt);
    m_newFilter = makeEdit("AddFilter", tr("New filter word or URL"));
    m_addFilter = makeButton("AddFilt", tr("Add"));
    m_removeFilter = makeButton("FilterDel", tr("Remove"));

    // A handful of words is the usual list; the group need not outgrow the one beside it by much.
    m_filterWords->setFixedHeight(m_filterWords->fontMetrics().lineSpacing() * 7 +
                                  2 * m_filterWords->frameWidth());

    auto* row = new QHBoxLayout;
    row->addWidget(m_newFilter);
    row->addWidget(m_addFilter);
    row->addWidget(m_removeFilter);

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(makeLabel(prompt, m_filterWords));
    layout->addWidget(m_filterWords);
    layout->addLayout(row);
    layout->addStretch(); // the groups beside it set the height; the list stays with its prompt

    connect(m_addFilter, &QPushButton::clicked, this, &Settings::addFilter);
    connect(m_removeFilter, &QPushButton::clicked, this, &Settings::removeFilter);
}

void Settings::buildConnection(QGroupBox* group) {
    m_connection = new QComboBox;
    m_connection->setObjectName(QStringLiteral("Connex"));
    m_connection->setAccessibleName(tr("Choose One:"));
    m_connection->setEditable(false);
    m_connection->addItems(Session::connectionTypes());

    auto* layout = new QHBoxLayout(group);
    layout->addWidget(makeLabel(tr("Choose One:"), m_connection));
    layout->addWidget(m_connection, 1);
}

void Settings::buildCrawling(QGroupBox* group) {
    m_sameSite = makeCheck("SameSite", tr("Stay on the start address's site"));
    m_obeyRobots = makeCheck("ObeyRobots", tr("Obey robots.txt"));
    m_maxPerHost =
        makeSpin("MaxPerHost", tr("Requests at once per site"), kMaxRequestsPerHost, tr("No limit"));
    m_hostDelay = makeSpin("HostDelay", tr("Pause between requests to a site"), kMaxHostDelayMs, tr("None"));
    m_hostDelay->setSuffix(tr(" ms"));
    m_hostDelay->setSingleStep(100);
    m_retryAfter = makeCheck("RetryAfter", tr("When a site asks to wait (Retry-After), wait and retry once"));

    auto* numbers = new QFormLayout;
    numbers->addRow(makeLabel(tr("Requests at once per site:"), m_maxPerHost), m_maxPerHost);
    numbers->addRow(makeLabel(tr("Pause between requests to a site:"), m_hostDelay), m_hostDelay);

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_sameSite);
    layout->addWidget(m_obeyRobots);
    layout->addLayout(numbers);
    layout->addWidget(m_retryAfter);
}

void Settings::setTabOrder() {
    const QList<QWidget*> order =
        m_mediaTypes->tabChain() + m_engines->tabChain() +
        QList<QWidget*>{m_filterWords, m_newFilter,  m_addFilter, m_removeFilter, m_connection, m_sameSite,
                        m_obeyRobots,  m_maxPerHost, m_hostDelay, m_retryAfter,   m_ok,         m_cancel};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// Fills every control from the database. A group whose content could not be read is disabled, and OK with
// it: writing an unread filter list back would wipe the stored one.
void Settings::load() {
    QString firstError;
    const auto note = [&firstError](const QString& error) {
        if (firstError.isEmpty())
            firstError = error;
    };

    const auto stored = m_session.storedSettings();
    const CrawlPolicy& policy = m_session.crawlSettings().policy;
    m_sameSite->setChecked(policy.sameSiteOnly);
    m_obeyRobots->setChecked(policy.obeyRobots);
    m_maxPerHost->setValue(policy.maxPerHost);
    m_hostDelay->setValue(policy.delayMsPerHost);
    m_retryAfter->setChecked(policy.honourRetryAfter);
    if (stored) {
        // A stored text that is none of the entries shows as "Unknown", the first entry.
        m_connection->setCurrentIndex(
            std::max<int>(0, Session::connectionTypes().indexOf(stored->connectionType)));
        m_filterWords->addItems(stored->filters);
    } else {
        note(stored.error());
        m_connection->parentWidget()->setEnabled(false);
        m_filterWords->parentWidget()->setEnabled(false);
        m_ok->setEnabled(false);
    }

    const auto fill = [&note](NamedListEditor* editor, const auto& names) {
        if (names) {
            editor->setNames(names.value());
        } else {
            note(names.error());
            editor->setEnabled(false);
        }
    };
    fill(m_mediaTypes, m_session.mediaTypes());
    fill(m_engines, m_session.searchEngines());

    if (!firstError.isEmpty())
        m_messages.critical(parentWidget(), firstError);
}

void Settings::keyPressEvent(QKeyEvent* event) {
    // Escape does not cancel by itself: the dialog closes only by its buttons or its close box.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Settings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr) {
        adjustSize();
        const QRect frame = frameGeometry();
        move(owner->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
}

void Settings::refuse(const QString& text, QWidget* focus) {
    m_messages.critical(this, text);
    if (focus)
        focus->setFocus(Qt::OtherFocusReason);
}

// ---- URL filter, connection and crawling ----

void Settings::addFilter() {
    const QString word = m_newFilter->text().trimmed();
    if (word.isEmpty())
        return refuse(tr("Please enter a word or website address to filter out."), m_newFilter);
    // Letter case counts: the crawl's filter test is case-sensitive too.
    if (itemsOf(m_filterWords).contains(word))
        return refuse(tr("The filter word or URL you entered already exists in the filter list."),
                      m_newFilter);
    m_filterWords->addItem(word);
    m_newFilter->clear();
}

void Settings::removeFilter() {
    QListWidgetItem* item = selectedItem(m_filterWords);
    if (!item)
        return refuse(tr("Please select a filter item first."));
    if (m_messages.question(this, tr("Are you sure you want to remove the selected filter item?")))
        delete m_filterWords->takeItem(m_filterWords->row(item));
}

void Settings::confirm() {
    // On failure the old settings stay whole and the dialog stays open with the edits, so nothing is lost.
    CrawlPolicy policy;
    policy.sameSiteOnly = m_sameSite->isChecked();
    policy.obeyRobots = m_obeyRobots->isChecked();
    policy.maxPerHost = m_maxPerHost->value();
    policy.delayMsPerHost = m_hostDelay->value();
    policy.honourRetryAfter = m_retryAfter->isChecked();
    if (auto status = m_session.saveSettings({m_connection->currentText(), itemsOf(m_filterWords), policy});
        !status)
        return refuse(status.error());
    accept();
}
