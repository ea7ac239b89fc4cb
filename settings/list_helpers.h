#pragma once
// The two list operations of the Settings dialog: an exact (or letter-case blind) membership test, and the
// comma join that turns a media type's extension list into its stored FILEEXT text.

#include <QString>
#include <QStringList>

// True when some item equals `text`. Letter case counts unless `sensitivity` says otherwise.
bool ListContains(const QStringList& items, const QString& text,
                  Qt::CaseSensitivity sensitivity = Qt::CaseSensitive);

// The items in order, joined with "," and no blanks; the empty text for an empty list.
QString JoinList(const QStringList& items);

// The inverse of JoinList as the dialog shows a stored FILEEXT: a NULL or empty text gives no item, a text
// without a comma one item, otherwise the pieces between the commas (empty pieces kept).
QStringList ExtensionItems(const QString& stored);
