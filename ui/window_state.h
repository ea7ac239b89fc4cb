#pragma once
// The main window's look as the user left it, kept in the per-user settings store (organisation and
// application "Vorlane", group "Window", apart from the "Options"): size and position of the normal
// window, whether it was maximised, which result list was shown, and per list the column widths the user
// chose and the sort. read() skips every value that is absent or unusable (wrong type, out of range,
// wrong count), so a damaged store never leaves the window off screen or with a useless layout.

#include <QList>
#include <QPoint>
#include <QSize>
#include <optional>

namespace vorlane::ui {

struct ListViewState {
    QList<int> columnWidths; // empty: the window spreads the columns itself
    int sortColumn = -1;     // -1: never sorted
    Qt::SortOrder sortOrder = Qt::AscendingOrder;
};

struct WindowState {
    static constexpr int kListCount = 3;
    static constexpr int kColumnCount = 3;

    std::optional<QSize> size;
    std::optional<QPoint> position; // of the window's inner area
    bool maximized = false;
    int visibleList = 0; // 1..3; 0: not stored
    ListViewState lists[kListCount];

    static WindowState read();
    void write() const;
};

} // namespace vorlane::ui
