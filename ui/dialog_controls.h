#pragma once
// Builders for the controls of the tool dialogs: each control gets its object name and an accessible name
// (its caption or label), and each input box its caption label above it; and the layout the dialogs share.

#include <initializer_list>

class QComboBox;
class QGridLayout;
class QPushButton;
class QString;
class QWidget;

namespace vorlane::ui {

class MessageFacade;
// The grid of labelled boxes above a right-aligned row of `buttons`; Tab then runs through `tabChain` in
// the order given.
void layOutDialog(QWidget* dialog, QGridLayout* grid, std::initializer_list<QPushButton*> buttons,
                  std::initializer_list<QWidget*> tabChain);

QPushButton* makeDialogButton(const char* objectName, const QString& caption, QWidget* parent);
// The label goes into row 0 and the box into row 1 of `column`.
QComboBox* makeLabelledCombo(const char* objectName, const QString& label, bool editable, int minimumChars,
                             QGridLayout* grid, int column, QWidget* parent);

// Shows why the input was refused, keeps the dialog up through the message (its `keepShown` flag) and puts
// the focus on the box at fault.
void refuseInput(MessageFacade& messages, bool& keepShown, QWidget* dialog, const QString& text, QWidget* focus);

} // namespace vorlane::ui
