#pragma once
// What the quick filter bar narrows: a list that filters its own rows by a typed text and counts them.

#include <QString>

class QAbstractItemModel;
class QWidget;

namespace vorlane::ui {

class FilterableList {
public:
    virtual void setFilterText(const QString& text) = 0;
    virtual int rowCount() const = 0; // the rows shown
    virtual int totalRowCount() const = 0;
    // The model whose row changes change the counts, and the widget whose end ends the attachment.
    virtual const QAbstractItemModel& countedModel() const = 0;
    virtual QWidget* filteredWidget() = 0;

protected:
    ~FilterableList() = default;
};

} // namespace vorlane::ui
