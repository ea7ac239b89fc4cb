#pragma once
// The Downloads view, shown in the place of the result lists: a summary line over the list of downloads
// (file, size, progress bar, speed, time left or state, address). Its context menu and keys pause,
// resume, cancel, retry, open the file (Enter) or its folder, remove from the list (Delete; the file
// stays) and copy the address (Ctrl+C), for every selected row. The quick filter narrows it like a result
// list. The session and the opener must outlive
// the view.

#include "ui/filterable_list.h"
#include <QWidget>
#include <functional>

class QLabel;
class QSortFilterProxyModel;
class QTreeView;

namespace vorlane::app {
class Downloads;
}
namespace vorlane::ui {
class UrlOpener;
}

namespace vorlane::shell {

class DownloadsModel;

class DownloadsView : public QWidget, public ui::FilterableList {
    Q_OBJECT
public:
    explicit DownloadsView(ui::UrlOpener& opener, QWidget* parent = nullptr);

    // Shows the stored downloads and follows every change from then on.
    void attach(app::Downloads& downloads);

    QTreeView* list() const { return m_list; }
    DownloadsModel& model() const { return *m_model; }

    void setFilterText(const QString& text) override;
    int rowCount() const override;
    int totalRowCount() const override;
    const QAbstractItemModel& countedModel() const override;
    QWidget* filteredWidget() override { return this; }

private:
    void addAction(const QString& text, const char* name, const QKeySequence& key,
                   const std::function<void(qint64 id)>& perRow);
    QList<int> selectedRows() const;
    void updateSummary();

    ui::UrlOpener& m_opener;
    app::Downloads* m_downloads = nullptr;
    QLabel* m_summary = nullptr;
    QTreeView* m_list = nullptr;
    DownloadsModel* m_model = nullptr;
    QSortFilterProxyModel* m_shown = nullptr; // the rows the quick filter lets through
};

} // namespace vorlane::shell
