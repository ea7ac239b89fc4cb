#pragma once
// A group box editing named entries and the values of the selected one, which its owner keeps. It refuses
// what it can judge alone and asks before deleting, then reports the intent; the lists change only by the
// owner's answer.

#include <QGroupBox>
#include <QList>
#include <QString>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace vorlane::ui {

class MessageFacade;
class NamedListEditor : public QGroupBox {
    Q_OBJECT
public:
    // Several: a name holds a list of values, shown beside the names under the caption of the value list;
    //   the value buttons add one and delete the selected one.
    // One: a name holds one value at most, shown below the names in a one-line list under the prompt of
    //   the value box; the value button replaces it, and there is no delete button for values.
    enum class Values { Several, One };

    // A control's object name, and its caption (buttons) or accessible name (lists and boxes), which the
    // label that goes with it shows too.
    struct Control {
        const char* objectName = nullptr;
        QString text;
    };
    struct Setup {
        QString title;
        Values values = Values::Several;
        Control names, newName, addName, deleteName;
        Control valueList, newValue, addValue, deleteValue; // deleteValue with Several only
        // The refusals and the questions of the name buttons and of the delete button for values.
        QString nameExists, nameMissing, noNameToDelete, confirmNameDeletion;
        QString noValueToDelete, confirmValueDeletion;
    };
    enum class Box { None, NewName, NewValue };

    NamedListEditor(const Setup& setup, MessageFacade& messages, QWidget* parent = nullptr);

    // Shows `names` with none selected, and so no values.
    void setNames(const QStringList& names);
    QStringList values() const;
    // The controls in their tab order.
    QList<QWidget*> tabChain() const;

    // The owner's answers: nameSelected by showValues, addNameRequested by acceptName, deleteNameRequested
    // by setNames with the names left, addValueRequested by acceptValue, deleteValueRequested by removeValue;
    // a failure by refuse.
    void showValues(const QStringList& values);
    void acceptName(const QString& name);   // listed and selected; the box emptied
    void acceptValue(const QString& value); // added (Several) or replacing the shown one (One); box emptied
    void removeValue(int row);
    // Shows why an action failed and puts the focus on the box at fault, if any.
    void refuse(const QString& text, Box focus = Box::None);

signals:
    void nameSelected(const QString& name);
    void addNameRequested(const QString& name);    // trimmed, not empty, not listed in any letter case
    void deleteNameRequested(const QString& name); // confirmed
    void addValueRequested(const QString& name, const QString& typed); // as typed, unchecked
    void deleteValueRequested(const QString& name, int row);           // confirmed

private:
    void layOutSideBySide();
    void layOutStacked();
    void selectionChanged();
    void addName();
    void deleteName();
    void addValue();
    void deleteValue();

    Setup m_setup;
    MessageFacade& m_messages;
    QListWidget* m_names = nullptr;
    QLineEdit* m_newName = nullptr;
    QPushButton* m_addName = nullptr;
    QPushButton* m_deleteName = nullptr;
    QListWidget* m_values = nullptr;
    QLineEdit* m_newValue = nullptr;
    QPushButton* m_addValue = nullptr;
    QPushButton* m_deleteValue = nullptr; // null with One
};

} // namespace vorlane::ui
