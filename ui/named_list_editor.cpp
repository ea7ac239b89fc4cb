#include "ui/named_list_editor.h"

#include "ui/dialog_controls.h"
#include "ui/message_facade.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane::ui {

namespace {

QListWidget* makeList(const NamedListEditor::Control& control) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromLatin1(control.objectName));
    list->setAccessibleName(control.text);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    return list;
}

QLineEdit* makeEdit(const NamedListEditor::Control& control) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(control.objectName));
    edit->setAccessibleName(control.text);
    return edit;
}

QPushButton* makeButton(const NamedListEditor::Control& control) {
    return makeDialogButton(control.objectName, control.text, nullptr);
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QHBoxLayout;
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    return layout;
}

QStringList texts(const QListWidget* list) {
    QStringList texts;
    texts.reserve(list->count());
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

// The selected item, or null. Selection rather than text decides, so that a damaged empty value can still be
// selected and deleted.
QListWidgetItem* selectedItem(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

} // namespace

NamedListEditor::NamedListEditor(const Setup& setup, MessageFacade& messages, QWidget* parent)
    : QGroupBox(setup.title, parent), m_setup(setup), m_messages(messages) {
    m_names = makeList(setup.names);
    m_newName = makeEdit(setup.newName);
    m_addName = makeButton(setup.addName);
    m_deleteName = makeButton(setup.deleteName);
    m_values = makeList(setup.valueList);
    m_newValue = makeEdit(setup.newValue);
    m_addValue = makeButton(setup.addValue);
    if (setup.values == Values::Several) {
        m_deleteValue = makeButton(setup.deleteValue);
        connect(m_deleteValue, &QPushButton::clicked, this, &NamedListEditor::deleteValue);
        layOutSideBySide();
    } else {
        layOutStacked();
    }

    connect(m_names, &QListWidget::itemSelectionChanged, this, &NamedListEditor::selectionChanged);
    connect(m_addName, &QPushButton::clicked, this, &NamedListEditor::addName);
    connect(m_deleteName, &QPushButton::clicked, this, &NamedListEditor::deleteName);
    connect(m_addValue, &QPushButton::clicked, this, &NamedListEditor::addValue);
    selectionChanged();
}

void NamedListEditor::layOutSideBySide() {
    auto* caption = new QLabel(m_setup.valueList.text);
    caption->setBuddy(m_values);

    auto* names = new QVBoxLayout;
    names->addWidget(m_names);
    names->addWidget(m_newName);
    names->addLayout(row({m_addName, m_deleteName}));

    auto* values = new QVBoxLayout;
    values->addWidget(caption);
    values->addWidget(m_values);
    values->addWidget(m_newValue);
    values->addLayout(row({m_addValue, m_deleteValue}));

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(names);
    layout->addLayout(values);
}

void NamedListEditor::layOutStacked() {
    // The value list holds one line at most; it need not be as tall as the name list.
    m_values->setFixedHeight(m_values->fontMetrics().height() * 2 + 2 * m_values->frameWidth());
    auto* prompt = new QLabel(m_setup.newValue.text);
    prompt->setTextFormat(Qt::PlainText);
    prompt->setWordWrap(true);
    prompt->setBuddy(m_newValue);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_names);
    layout->addLayout(row({m_newName, m_addName, m_deleteName}));
    layout->addWidget(prompt);
    layout->addWidget(m_values);
    layout->addLayout(row({m_newValue, m_addValue}));
}

void NamedListEditor::setNames(const QStringList& names) {
    // Clearing drops the selection, which empties the values: they never show a name that is gone.
    m_names->clear();
    m_names->addItems(names);
}

QStringList NamedListEditor::values() const {
    return texts(m_values);
}

QList<QWidget*> NamedListEditor::tabChain() const {
    QList<QWidget*> chain{m_names, m_newName, m_addName, m_deleteName, m_values, m_newValue, m_addValue};
    if (m_deleteValue)
        chain << m_deleteValue;
    return chain;
}

void NamedListEditor::showValues(const QStringList& values) {
    m_values->clear();
    m_values->addItems(values);
}

void NamedListEditor::acceptName(const QString& name) {
    m_names->addItem(name);
    m_newName->clear();
    m_names->setCurrentRow(m_names->count() - 1);
}

void NamedListEditor::acceptValue(const QString& value) {
    if (m_setup.values == Values::One)
        m_values->clear();
    m_values->addItem(value);
    m_newValue->clear();
}

void NamedListEditor::removeValue(int row) {
    delete m_values->takeItem(row);
}

void NamedListEditor::refuse(const QString& text, Box focus) {
    m_messages.critical(window(), text);
    if (focus != Box::None)
        (focus == Box::NewName ? m_newName : m_newValue)->setFocus(Qt::OtherFocusReason);
}

void NamedListEditor::selectionChanged() {
    m_values->clear();
    const QListWidgetItem* name = selectedItem(m_names);
    m_addValue->setEnabled(name != nullptr);
    if (m_deleteValue)
        m_deleteValue->setEnabled(name != nullptr);
    if (name)
        emit nameSelected(name->text());
}

void NamedListEditor::addName() {
    const QString name = m_newName->text().trimmed();
    // Names differing only in letter case are one name to the stores that keep such lists.
    if (texts(m_names).contains(name, Qt::CaseInsensitive))
        return refuse(m_setup.nameExists, Box::NewName);
    if (name.isEmpty())
        return refuse(m_setup.nameMissing, Box::NewName);
    emit addNameRequested(name);
}

void NamedListEditor::deleteName() {
    const QListWidgetItem* item = selectedItem(m_names);
    if (!item)
        return refuse(m_setup.noNameToDelete);
    const QString name = item->text();
    if (m_messages.question(window(), m_setup.confirmNameDeletion))
        emit deleteNameRequested(name);
}

void NamedListEditor::addValue() {
    if (const QListWidgetItem* name = selectedItem(m_names))
        emit addValueRequested(name->text(), m_newValue->text());
}

void NamedListEditor::deleteValue() {
    const QListWidgetItem* name = selectedItem(m_names);
    if (!name)
        return;
    const QListWidgetItem* value = selectedItem(m_values);
    if (!value)
        return refuse(m_setup.noValueToDelete);
    const QString owner = name->text();
    const int row = m_values->row(value);
    if (m_messages.question(window(), m_setup.confirmValueDeletion))
        emit deleteValueRequested(owner, row);
}

} // namespace vorlane::ui
