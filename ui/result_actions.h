#pragma once
// The commands of one result list, in its context menu and on its keys: Open (Enter), Copy address
// (Ctrl+C), Copy all addresses (Ctrl+Shift+C), Export... (Ctrl+E), Download (Ctrl+D) and Download all
// shown (the list asks through downloadRequested; whoever owns the downloads carries it out). Copy and export
// take the rows as the list shows them: only those the quick filter lets through, in the list's current sort
// order, because that is what the user is looking at when choosing the command. The list and the facade must
// outlive it.

#include "result_export.h"
#include <QObject>
#include <functional>

class QAction;
class QKeyEvent;
class QWidget;

namespace vorlane::ui {

class MessageFacade;
class ResultList;

// What the user picked in a save dialog: the path (empty when cancelled) and the filter entry selected.
struct ExportTarget {
    QString path;
    QString filter;
};

// Asks for the file to export to; `filters` is exportFilters(). Injected so tests need no real dialog.
using ExportFileChooser =
    std::function<ExportTarget(QWidget* parent, const QString& caption, const QString& filters)>;

// The save dialog of the platform (QFileDialog::getSaveFileName).
ExportFileChooser saveDialogChooser();

class ResultActions : public QObject {
    Q_OBJECT
public:
    ResultActions(ResultList& list, MessageFacade& messages);
    ~ResultActions() override;

    QAction* openAction() const { return m_open; }
    QAction* copyAddressAction() const { return m_copyAddress; }
    QAction* copyAllAction() const { return m_copyAll; }
    QAction* exportAction() const { return m_export; }
    QAction* downloadAction() const { return m_download; }
    QAction* downloadAllAction() const { return m_downloadAll; }

    void setFileChooser(ExportFileChooser chooser) { m_chooser = std::move(chooser); }

    // The shown rows with the list's campaign label.
    QList<ExportRow> shownRows() const;
    // The selected row's address; the clipboard is left alone without a selection.
    void copyAddress();
    // The shown rows' addresses, one a line.
    void copyAllAddresses();
    // Asks for a file and writes the shown rows to it in the format its suffix names, or else the one of
    // the filter picked (a name without a suffix gets that format's suffix). Failure is shown as a message.
    void exportShownRows();

    // Commands apply only when there is something to act on.
    void updateEnabled();
    // Runs the enabled command whose key the event is; the list calls this for keys that reached it
    // without going through the window's shortcut map.
    bool handleKey(QKeyEvent* event);

signals:
    void downloadRequested(const QStringList& addresses);

private:
    ResultList& m_list;
    MessageFacade& m_messages;
    ExportFileChooser m_chooser;
    QAction* m_open = nullptr;
    QAction* m_copyAddress = nullptr;
    QAction* m_copyAll = nullptr;
    QAction* m_export = nullptr;
    QAction* m_download = nullptr;
    QAction* m_downloadAll = nullptr;
};

} // namespace vorlane::ui
