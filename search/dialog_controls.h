#pragma once
// Builders for the controls of the search and campaign dialogs: each control gets its object name and an
// accessible name (its caption or label), and each input box its caption label above it. Also the
// media-type box both search dialogs share, and the layout the dialogs share.

#include <initializer_list>

class AppContext;
class QComboBox;
class QGridLayout;
class QPushButton;
class QString;
class QWidget;

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
void refuseInput(AppContext& context, bool& keepShown, QWidget* dialog, const QString& text, QWidget* focus);
// Refills `box` with the stored media types, leaving it without a selection; a failure is shown.
void fillMediaTypeBox(AppContext& context, QComboBox* box, QWidget* dialog);
// The extensions of the media type picked at `index` into `extensions`. A type without extensions yields
// an empty text: keeping the previous type's would find the wrong files under this type's name. A failure
// is shown and leaves `extensions` as it was.
void readMediaExtensions(AppContext& context, QComboBox* box, int index, QString& extensions,
                         QWidget* dialog);
