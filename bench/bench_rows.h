#pragma once
// Result rows for the list benchmarks: names and addresses in no particular order, with a handful of file
// types, as a real site gives them. The same count and salt always give the same rows.

#include "ui/result_list.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>

inline QList<vorlane::ui::ResultRow> makeBenchRows(int count, int salt = 0) {
    const char* const types[] = {"mp3", "ogg", "flac", "wav", "m4a", "mp4", "jpg"};
    QList<vorlane::ui::ResultRow> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int key = int((quint64(i + salt) * 2654435761u) % 1000003u);
        const QString name = QStringLiteral("track-%1.%2").arg(key).arg(QLatin1String(types[i % 7]));
        rows.append(
            {name, QStringLiteral("http://media%1.example/albums/%2/%3").arg(i % 13).arg(key % 977).arg(name),
             QStringLiteral("http://media%1.example/albums/%2/").arg(i % 13).arg(key % 977)});
    }
    return rows;
}

// Milliseconds since `clock` started, once the view's deferred layout and repaint have run too.
inline double settleMs(QElapsedTimer& clock) {
    QCoreApplication::processEvents();
    return double(clock.nsecsElapsed()) / 1e6;
}
