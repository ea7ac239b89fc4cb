#include "settings/settings_dialog.h"

#include "settings/list_helpers.h"
#include "app/session.h"
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

// The selected item, or null. Selection rather than text decides, so an empty piece of a damaged FILEEXT
// can still be selected and deleted.
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

    auto* mediaTypes = new QGroupBox(tr("Media Types"));
    auto* engines = new QGroupBox(tr("Search Engines"));
    auto* filter = new QGroupBox(tr("URL Filter"));
    auto* connection = new QGroupBox(tr("Connection"));
    auto* crawling = new QGroupBox(tr("Crawling"));
    buildMediaTypes(mediaTypes);
    buildSearchEngines(engines);
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
    grid->addWidget(mediaTypes, 0, 0);
    grid->addWidget(engines, 0, 1);
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
    updateSelectionDependentButtons();
}

Settings::~Settings() = default;

void Settings::buildMediaTypes(QGroupBox* group) {
    m_mediaTypes = makeList("MT", tr("Media Types"));
    m_newMediaType = makeEdit("SearchCat", tr("New media type"));
    m_addMediaType = makeButton("Add2", tr("Add"));
    m_deleteMediaType = makeButton("Delete2", tr("Delete"));
    m_extensions = makeList("FileExt", tr("File Ext.:"));
    m_newExtension = makeEdit("Ext", tr("New file extension"));
    m_addExtension = makeButton("AddExt", tr("Add Ext"));
    m_deleteExtension = makeButton("DelExt", tr("Delete Ext"));

    auto* names = new QVBoxLayout;
    names->addWidget(m_mediaTypes);
    names->addWidget(m_newMediaType);
    auto* nameButtons = new QHBoxLayout;
    nameButtons->addWidget(m_addMediaType);
    nameButtons->addWidget(m_deleteMediaType);
    names->addLayout(nameButtons);

    auto* extensions = new QVBoxLayout;
    extensions->addWidget(makeLabel(tr("File Ext.:"), m_extensions));
    extensions->addWidget(m_extensions);
    extensions->addWidget(m_newExtension);
    auto* extensionButtons = new QHBoxLayout;
    extensionButtons->addWidget(m_addExtension);
    extensionButtons->addWidget(m_deleteExtension);
    extensions->addLayout(extensionButtons);

    auto* layout = new QHBoxLayout(group);
    layout->addLayout(names);
    layout->addLayout(extensions);

    connect(m_mediaTypes, &QListWidget::itemSelectionChanged, this, &Settings::mediaTypeSelected);
    connect(m_addMediaType, &QPushButton::clicked, this, &Settings::addMediaType);
    connect(m_deleteMediaType, &QPushButton::clicked, this, &Settings::deleteMediaType);
    connect(m_addExtension, &QPushButton::clicked, this, &Settings::addExtension);
    connect(m_deleteExtension, &QPushButton::clicked, this, &Settings::deleteExtension);
}

void Settings::buildSearchEngines(QGroupBox* group) {
    const QString linkPrompt =
        tr("Enter a search engine search link, replacing the keyword in the URL with <!KW!>");
    m_engines = makeList("SE", tr("Search Engines"));
    m_newEngine = makeEdit("SENG", tr("New search engine"));
    m_addEngine = makeButton("Add3", tr("Add"));
    m_deleteEngine = makeButton("Delete", tr("Delete"));
    m_link = makeList("SELink", tr("Search link"));
    m_newLink = makeEdit("AddSELink", linkPrompt);
    m_updateLink = makeButton("Edit", tr("Update Link"));

    // The link box holds one line at most; it need not be as tall as the name list.
    m_link->setFixedHeight(m_link->fontMetrics().height() * 2 + 2 * m_link->frameWidth());

    auto* nameButtons = new QHBoxLayout;
    nameButtons->addWidget(m_newEngine);
    nameButtons->addWidget(m_addEngine);
    nameButtons->addWidget(m_deleteEngine);

    auto* prompt = new QLabel(linkPrompt);
    prompt->setTextFormat(Qt::PlainText);
    prompt->setWordWrap(true);
    prompt->setBuddy(m_newLink);

    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(m_newLink);
    linkRow->addWidget(m_updateLink);

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_engines);
    layout->addLayout(nameButtons);
    layout->addWidget(prompt);
    layout->addWidget(m_link);
    layout->addLayout(linkRow);

    connect(m_engines, &QListWidget::itemSelectionChanged, this, &Settings::engineSelected);
    connect(m_addEngine, &QPushButton::clicked, this, &Settings::addEngine);
    connect(m_deleteEngine, &QPushButton::clicked, this, &Settings::deleteEngine);
    connect(m_updateLink, &QPushButton::clicked, this, &Settings::updateLink);
}

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
    const QList<QWidget*> order = {m_mediaTypes, m_newMediaType, m_addMediaType, m_deleteMediaType,
                                   m_extensions, m_newExtension, m_addExtension, m_deleteExtension,
                                   m_engines,    m_newEngine,    m_addEngine,    m_deleteEngine,
                                   m_link,       m_newLink,      m_updateLink,   m_filterWords,
                                   m_newFilter,  m_addFilter,    m_removeFilter, m_connection,
                                   m_sameSite,   m_obeyRobots,   m_maxPerHost,   m_hostDelay,
                                   m_retryAfter, m_ok,           m_cancel};
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
        m_connection->setCurrentIndex(std::max<int>(0, Session::connectionTypes().indexOf(stored->connectionType)));
        m_filterWords->addItems(stored->filters);
    } else {
        note(stored.error());
        m_connection->parentWidget()->setEnabled(false);
        m_filterWords->parentWidget()->setEnabled(false);
        m_ok->setEnabled(false);
    }

    if (const auto names = m_session.mediaTypes()) {
        m_mediaTypes->addItems(names.value());
    } else {
        note(names.error());
        m_mediaTypes->parentWidget()->setEnabled(false);
    }
    if (const auto names = m_session.searchEngines()) {
        m_engines->addItems(names.value());
    } else {
        note(names.error());
        m_engines->parentWidget()->setEnabled(false);
    }

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

void Settings::updateSelectionDependentButtons() {
    const bool mediaType = selectedItem(m_mediaTypes) != nullptr;
    m_addExtension->setEnabled(mediaType);
    m_deleteExtension->setEnabled(mediaType);
    m_updateLink->setEnabled(selectedItem(m_engines) != nullptr);
}

// ---- Media types ----

void Settings::mediaTypeSelected() {
    m_extensions->clear();
    updateSelectionDependentButtons();
    const QListWidgetItem* item = selectedItem(m_mediaTypes);
    if (!item)
        return;
    const auto stored = m_session.mediaTypeExtensions(item->text());
    if (!stored) {
        refuse(stored.error());
        return;
    }
    m_extensions->addItems(ExtensionItems(stored.value()));
}

void Settings::addMediaType() {
    const QString name = m_newMediaType->text().trimmed();
    // The database compares names without letter case, so "Music" and "music" would be one row to it.
    if (ListContains(itemsOf(m_mediaTypes), name, Qt::CaseInsensitive))
        return refuse(tr("The Category you entered already exists."), m_newMediaType);
    if (name.isEmpty())
        return refuse(tr("Please enter a new Category."), m_newMediaType);

    if (auto status = m_session.addMediaType(name); !status)
        return refuse(status.error(), m_newMediaType);
    m_mediaTypes->addItem(name);
    m_newMediaType->clear();
    m_mediaTypes->setCurrentRow(m_mediaTypes->count() - 1);
}

void Settings::deleteMediaType() {
    const QListWidgetItem* item = selectedItem(m_mediaTypes);
    if (!item)
        return refuse(tr("Please select a category to delete."));
    if (!m_messages.question(
            this, tr("Are you sure you want to completely delete the selected Category?")))
        return;
    if (auto status = m_session.deleteMediaType(item->text()); !status)
        return refuse(status.error());
    refillMediaTypes();
}

bool Settings::refillMediaTypes() {
    // Clearing drops the selection, which empties the extension list: it never shows a deleted type's.
    m_mediaTypes->clear();
    const auto names = m_session.mediaTypes();
    if (!names) {
        refuse(names.error());
        return false;
    }
    m_mediaTypes->addItems(names.value());
    return true;
}

void Settings::addExtension() {
    const QListWidgetItem* type = selectedItem(m_mediaTypes);
    if (!type)
        return;
    if (!m_newExtension->text().contains(QLatin1Char('.')))
        return refuse(tr("The file extension must have the \".\" in it and must not be empty."),
                      m_newExtension);
    const QString extension = m_newExtension->text().trimmed();
    QStringList extensions = itemsOf(m_extensions);
    if (ListContains(extensions, extension))
        return refuse(tr("The file extension you entered already exists for the selected Category."),
                      m_newExtension);

    // Written before the list changes, so the list never shows an extension the database does not hold.
    extensions << extension;
    if (auto status = m_session.setMediaTypeExtensions(type->text(), JoinList(extensions));
        !status)
        return refuse(status.error(), m_newExtension);
    m_extensions->addItem(extension);
    m_newExtension->clear();
}

void Settings::deleteExtension() {
    const QListWidgetItem* type = selectedItem(m_mediaTypes);
    if (!type)
        return;
    QListWidgetItem* extension = selectedItem(m_extensions);
    if (!extension)
        return refuse(tr("Please select a file extension first."));
    if (!m_messages.question(
            this, tr("Are you sure you want to permanently delete the selected extension?")))
        return;

    QStringList extensions = itemsOf(m_extensions);
    const int row = m_extensions->row(extension);
    extensions.removeAt(row);
    if (auto status = m_session.setMediaTypeExtensions(type->text(), JoinList(extensions));
        !status)
        return refuse(status.error());
    delete m_extensions->takeItem(row);
}

// ---- Search engines ----

void Settings::engineSelected() {
    m_link->clear();
    updateSelectionDependentButtons();
    const QListWidgetItem* item = selectedItem(m_engines);
    if (!item)
        return;
    const auto link = m_session.searchLink(item->text());
    if (!link) {
        refuse(link.error());
        return;
    }
    if (!link->isEmpty())
        m_link->addItem(link.value());
}

void Settings::addEngine() {
    const QString name = m_newEngine->text().trimmed();
    // As with media types: names differing only in letter case are one name to the database.
    if (ListContains(itemsOf(m_engines), name, Qt::CaseInsensitive))
        return refuse(tr("The Search Engine you entered already exists."), m_newEngine);
    if (name.isEmpty())
        return refuse(tr("Please enter a new Search Engine."), m_newEngine);

    if (auto status = m_session.addSearchEngine(name); !status)
        return refuse(status.error(), m_newEngine);
    m_engines->addItem(name);
    m_newEngine->clear();
    m_engines->setCurrentRow(m_engines->count() - 1);
}

void Settings::deleteEngine() {
    const QListWidgetItem* item = selectedItem(m_engines);
    if (!item)
        return refuse(tr("Please select a Search Engine to delete."));
    if (!m_messages.question(
            this, tr("Are you sure you want to completely delete the selected Search Engine?")))
        return;
    if (auto status = m_session.deleteSearchEngine(item->text()); !status)
        return refuse(status.error());
    refillEngines();
}

bool Settings::refillEngines() {
    m_engines->clear();
    m_link->clear();
    const auto names = m_session.searchEngines();
    if (!names) {
        refuse(names.error());
        return false;
    }
    m_engines->addItems(names.value());
    return true;
}

void Settings::updateLink() {
    const QListWidgetItem* engine = selectedItem(m_engines);
    if (!engine)
        return;
    // Taken as typed: blanks are part of the link the web search will fill in.
    const QString link = m_newLink->text();
    if (link.isEmpty())
        return refuse(tr("Please enter a link to update the Search Engine."), m_newLink);
    if (!link.contains(Session::keywordPlaceholder()))
        return refuse(tr("You must replace the keyword in the URL with <!KW!>."), m_newLink);
    if (!link.contains(QLatin1String("https://")) && !link.contains(QLatin1String("http://")))
        return refuse(tr("You must include the protocol (http:// or https://) in the URL."), m_newLink);

    if (auto status = m_session.setSearchLink(engine->text(), link); !status)
        return refuse(status.error(), m_newLink);
    m_link->clear();
    m_link->addItem(link);
    m_newLink->clear();
}

// ---- URL filter, connection and crawling ----

void Settings::addFilter() {
    const QString word = m_newFilter->text().trimmed();
    if (word.isEmpty())
        return refuse(tr("Please enter a word or website address to filter out."), m_newFilter);
    // Letter case counts: the crawl's filter test is case-sensitive too.
    if (ListContains(itemsOf(m_filterWords), word))
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
