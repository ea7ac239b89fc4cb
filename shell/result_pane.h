#pragma once
// The main window's central pane ResultPane: the quick filter bar above the three result lists, which lie
// stacked in one place (ResultArea) with one shown at a time and the filter acting on it: ListView1 web
// search, ListView2 URL search, ListView3 a loaded campaign. Once attached to the session it fills each
// list from its engine and shows a loaded campaign's links, added in batches between events so a large
// campaign never freezes the window. The opener and the message facade must outlive the pane, the
// session must outlive the attachment.

#include "app/records.h"
#include <QList>
#include <QWidget>

namespace vorlane::app {
class Session;
}
namespace vorlane::ui {
class MessageFacade;
class QuickFilterBar;
class ResultList;
class UrlOpener;
struct WindowState;
} // namespace vorlane::ui

namespace vorlane::shell {

class DownloadsView;

class ResultPane : public QWidget {
    Q_OBJECT
public:
    // Lists are numbered from 1, as their names and the stored window state count them.
    static constexpr int kListCount = 3;
    static constexpr int kWebSearchList = 1;
    static constexpr int kUrlSearchList = 2;
    static constexpr int kCampaignList = 3;

    ResultPane(ui::UrlOpener& opener, ui::MessageFacade& messages, QWidget* parent = nullptr);

    // Engine rows go to their search's list, labelled with the campaign they belong to; a cleared search
    // empties its list; a loaded campaign fills ListView3 and a deletion empties it.
    void attach(app::Session& session);

    ui::ResultList* list(int number) const; // nullptr outside 1..3
    int visibleList() const { return m_visibleList; }
    void showList(int number);
    // The Downloads view, in the lists' place (the quick filter hides with the lists); showList() brings
    // a list back.
    void showDownloads();
    bool downloadsShown() const;
    DownloadsView* downloads() const { return m_downloads; }
    ui::QuickFilterBar* quickFilter() const { return m_filterBar; }

    // Every list fills the area; the columns share its width while the window is not minimised.
    void arrangeLists();

    // Gives up a campaign load under way; the rows added so far stay.
    void stopCampaignLoad();

    // The shown list and each list's hand-sized column widths and sort, to and from the stored state.
    void restoreLists(const ui::WindowState& state);
    void recordLists(ui::WindowState& state) const;

signals:
    // A campaign's links began to arrive in ListView3...
    void campaignLoadStarted();
    // ...and are all in (complete), or the load was given up.
    void campaignLoadEnded(bool complete);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadCampaignLinks(const QList<store::FileLinkRow>& rows);
    void addNextCampaignBatch();

    ui::QuickFilterBar* m_filterBar = nullptr;
    QWidget* m_area = nullptr;
    ui::ResultList* m_lists[kListCount] = {};
    DownloadsView* m_downloads = nullptr;
    int m_loadedCampaign = 0; // the campaign ListView3 shows
    int m_visibleList = kWebSearchList;

    QList<store::FileLinkRow> m_campaignRows;
    qsizetype m_nextCampaignRow = 0;
    bool m_loadingCampaign = false;
    // Counts loads begun and given up; a batch queued for an older load finds it changed and stops.
    int m_loadGeneration = 0;
};

} // namespace vorlane::shell
