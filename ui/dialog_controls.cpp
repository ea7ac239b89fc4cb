#include "dialog_controls.h"

#include "ui/message_facade.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorlane::ui {

void layOutDialog(QWidget* dialog, QGridLayout* grid, std::initializer_list<QPushButton*> buttons,
                  std::initializer_list<QWidget*> tabChain) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons)
        row->addWidget(button);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(grid);
    layout->addLayout(row);
    QWidget* previous = nullptr;
    for (QWidget* widget : tabChain) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

QPushButton* makeDialogButton(const char* objectName, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAccessibleName(caption);
    // Enter in an input box must not press a button the user did not aim at.
    button->setAutoDefault(false);
    return button;
}

QComboBox* makeLabelledCombo(const char* objectName, const QString& label, bool editable, int minimumChars,
                             QGridLayout* grid, int column, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(objectName));
    combo->setEditable(editable);
    // The history grows only when a search starts, never from Enter in the box.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setAccessibleName(label);
    combo->setMinimumContentsLength(minimumChars);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* caption = new QLabel(label, parent);
    caption->setBuddy(combo);
    grid->addWidget(caption, 0, column);
    grid->addWidget(combo, 1, column);
    return combo;
}

void refuseInput(MessageFacade& messages, bool& keepShown, QWidget* dialog, const QString& text, QWidget* focus) {
    keepShown = true;
    messages.critical(dialog, text);
    focus->setFocus();
}

} // namespace vorlane::ui
