#pragma once
// The crawl log of one campaign: a table of every page its search requested or passed over, with the
// outcome, narrowed by outcome or reason, exportable as CSV. While the campaign's search runs, its new
// entries are added as they come. Modeless; deletes itself when closed.

#include "campaigns/crawl_log_model.h"
#include "ui/result_actions.h"
#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
namespace vorlane::app {
class Session;
}
namespace vorlane::ui {
class MessageFacade;
}

namespace vorlane::campaigns {

class CrawlLogDialog : public QDialog {
    Q_OBJECT
public:
    // A campaign that does not exist, or 0, shows an empty log.
    CrawlLogDialog(app::Session& session, ui::MessageFacade& messages, int campaignId,
                   QWidget* parent = nullptr);

    int campaignId() const { return m_campaignId; }
    CrawlLogModel& model() { return m_model; }
    void setFileChooser(ui::ExportFileChooser chooser) { m_chooser = std::move(chooser); }

private:
    void load();
    void filterChosen(int index);
    void exportShown();
    void updateCount();

    app::Session& m_session;
    ui::MessageFacade& m_messages;
    int m_campaignId;
    CrawlLogModel m_model;
    QList<app::LogFilter> m_filters;
    QComboBox* m_filter;
    QTableView* m_table;
    QLabel* m_count;
    QPushButton* m_export;
    QPushButton* m_close;
    ui::ExportFileChooser m_chooser;
};

} // namespace vorlane::campaigns
