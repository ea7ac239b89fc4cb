#pragma once
// The filter box above the result lists: narrows the rows of the attached list to those containing the
// typed text (in any column, letter case ignored) as the user types, and counts the
// shown and total rows ("12 of 340 shown"). Nothing is read from or written to the database; clearing the
// box brings every row back. Attaching another list clears the filter of the one left and applies the
// box's text to the new one. An attached list must outlive the bar or be detached first.

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace vorlane::ui {

class FilterableList;

class QuickFilterBar : public QWidget {
    Q_OBJECT
public:
    explicit QuickFilterBar(QWidget* parent = nullptr);
    ~QuickFilterBar() override;

    void setList(FilterableList* list);
    FilterableList* list() const { return m_widget ? m_list : nullptr; }

    QLineEdit* box() const { return m_box; }
    QString countText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyFilter();
    void updateCount();

    QLineEdit* m_box = nullptr;
    QLabel* m_count = nullptr;
    FilterableList* m_list = nullptr;
    QPointer<QWidget> m_widget; // null once the attached list is gone
    QList<QMetaObject::Connection> m_connections;
};

} // namespace vorlane::ui
