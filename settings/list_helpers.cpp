#include "settings/list_helpers.h"

bool ListContains(const QStringList& items, const QString& text, Qt::CaseSensitivity sensitivity) {
    return items.contains(text, sensitivity);
}

QString JoinList(const QStringList& items) {
    return items.join(QLatin1Char(','));
}

QStringList ExtensionItems(const QString& stored) {
    if (stored.isEmpty())
        return {};
    // Empty pieces stay, so a damaged text like ".a,,.b" is shown as stored and can be repaired item by item.
    return stored.split(QLatin1Char(','), Qt::KeepEmptyParts);
}
