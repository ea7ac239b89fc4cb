#pragma once
// One result list of the main window (ListView1, ListView2, ListView3): the found files with their icons,
// sortable by a header click, opened by double-click or Enter. Only http, https and ftp addresses are
// handed to the system's "open" action; anything else a page managed to put into a link is refused with
// a message. Its context menu and keys copy and export the shown rows (see ResultActions); rows drag out as
// URLs. A filter text narrows the shown rows without dropping any. The opener and the message facade must
// outlive the list.

#include "filterable_list.h"
#include "result_list_model.h"
#include <QTreeView>

namespace vorlane::ui {

class MessageFacade;
class ResultActions;
class UrlOpener;

inline const char* const kResultListHint = "Double-click or hit Enter on item to download";

class ResultList : public QTreeView, public FilterableList {
    Q_OBJECT
public:
    ResultList(UrlOpener& opener, MessageFacade& messages, QWidget* parent = nullptr);
    ~ResultList() override;

    ResultListModel& rows() { return m_model; }
    const ResultListModel& rows() const { return m_model; }
    int rowCount() const override { return m_model.rowCount(); } // shown rows
    int totalRowCount() const override { return m_model.totalRowCount(); }
    const QAbstractItemModel& countedModel() const override { return m_model; }
    QWidget* filteredWidget() override { return this; }
    ResultActions& commands() { return *m_actions; }

    // Appends one row; its icon is the one stored for the name's file-type pattern.
    void addResultRow(const QString& fileName, const QString& url, const QString& foundOn = {});
    void addResultRows(const QList<ResultRow>& rows);
    // Empties the list at once.
    void clearResultList();
    // Hands the selected row's address to the opener; nothing without a selection.
    void openSelectedResult();
    // The selected row's address; a null string without a selection.
    QString selectedAddress() const;

    void setFilterText(const QString& text) override { m_model.setFilterText(text); }

    // The campaign the rows belong to, as exports name it; empty when not known.
    void setCampaignLabel(const QString& label) { m_campaignLabel = label; }
    const QString& campaignLabel() const { return m_campaignLabel; }

    // Column widths: the window spreads the columns over the list's width until the user sizes one by
    // hand (or widths the user chose are restored); from then on the user's widths stay.
    void spreadColumns(int width);
    bool hasUserColumnWidths() const { return m_userColumnWidths; }
    QList<int> columnWidths() const;
    void setUserColumnWidths(const QList<int>& widths);
    // Sorts as a header click would have left it: that column, that direction, with the indicator.
    void restoreSort(int column, Qt::SortOrder order);

    // The list's own sort direction, flipped by every header click whichever column was clicked.
    Qt::SortOrder sortDirection() const { return m_direction; }

public slots:
    void headerClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    ResultListModel m_model;
    UrlOpener& m_opener;
    MessageFacade& m_messages;
    ResultActions* m_actions = nullptr; // child
    QString m_campaignLabel;
    bool m_userColumnWidths = false;
    bool m_spreading = false; // set while the program itself sizes the columns
    // Starts descending so the first click sorts ascending, which is what a reader expects.
    Qt::SortOrder m_direction = Qt::DescendingOrder;
};

} // namespace vorlane::ui
