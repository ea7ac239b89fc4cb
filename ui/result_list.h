#pragma once
// One result list of the main window (ListView1, ListView2, ListView3): the found files with their icons,
// sortable by a header click, opened by double-click or Enter. Only http, https and ftp addresses are
// handed to the system's "open" action; anything else a page managed to put into a link is refused with
// a message. The opener and the message facade must outlive the list.

#include "result_list_model.h"
#include <QTreeView>

class MessageFacade;
class UrlOpener;

inline const char* const kResultListHint = "Double-click or hit Enter on item to download";

class ResultList : public QTreeView {
    Q_OBJECT
public:
    ResultList(UrlOpener& opener, MessageFacade& messages, QWidget* parent = nullptr);
    ~ResultList() override;

    ResultListModel& rows() { return m_model; }
    const ResultListModel& rows() const { return m_model; }
    int rowCount() const { return m_model.rowCount(); }

    // Appends one row; its icon is the one stored for the name's file-type pattern.
    void AddResultRow(const QString& fileName, const QString& url, const QString& foundOn = {});
    void addResultRows(const QList<ResultRow>& rows);
    // Empties the list at once.
    void ClearResultList();
    // Hands the selected row's address to the opener; nothing without a selection.
    void OpenSelectedResult();

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
    // Starts descending so the first click sorts ascending, which is what a reader expects.
    Qt::SortOrder m_direction = Qt::DescendingOrder;
};
