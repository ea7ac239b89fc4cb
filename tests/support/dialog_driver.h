#pragma once
// Driving the program's dialogs the way a user does: find a control by its object name, pick a list entry
// (which fires the same signal a mouse pick fires), type into an editable box, click a button.

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWidget>

template <typename T> T* control(QWidget* window, const char* objectName) {
    T* found = window->findChild<T*>(QString::fromLatin1(objectName));
    if (!found)
        qFatal("no control %s", objectName);
    return found;
}

inline void pick(QComboBox* box, const QString& text) {
    const int index = box->findText(text, Qt::MatchExactly);
    if (index < 0)
        qFatal("no entry %s", qPrintable(text));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

inline void typeInto(QComboBox* box, const QString& text) {
    box->setCurrentIndex(-1);
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), text);
}

inline void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

inline QStringList entries(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// The object names met when tabbing from `first`, `count` controls in all (unnamed helpers skipped).
inline QStringList tabOrder(QWidget* first, int count) {
    QStringList names{first->objectName()};
    QWidget* widget = first;
    while (names.size() < count) {
        widget = widget->nextInFocusChain();
        if (widget == first)
            break;
        if (widget->focusPolicy() != Qt::NoFocus && !widget->objectName().isEmpty())
            names << widget->objectName();
    }
    return names;
}

inline QStringList entries(const QListWidget* list) {
    QStringList out;
    for (int row = 0; row < list->count(); ++row)
        out << list->item(row)->text();
    return out;
}
