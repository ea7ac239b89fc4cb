#pragma once
// Builders for the controls of the search and campaign dialogs: each control gets its object name and an
// accessible name (its caption or label), and each input box its caption label above it.

class QComboBox;
class QGridLayout;
class QPushButton;
class QString;
class QWidget;

QPushButton* makeDialogButton(const char* objectName, const QString& caption, QWidget* parent);
// The label goes into row 0 and the box into row 1 of `column`.
QComboBox* makeLabelledCombo(const char* objectName, const QString& label, bool editable, int minimumChars,
                             QGridLayout* grid, int column, QWidget* parent);
