#pragma once
// The states of a download, as the download queue reports them and the DOWNLOADS table stores them.

#include <QString>

namespace vorlane::store {

enum class DownloadState { Queued, Active, Paused, Done, Failed, Cancelled };

// "queued", "active", ...: the text stored in DOWNLOADS.STATE.
QString downloadStateText(DownloadState state);
// The state of a stored text; Queued for a text that is none of them.
DownloadState downloadStateOf(const QString& text);
// Done, failed and cancelled downloads are over: nothing more happens to them until a retry.
inline bool isFinished(DownloadState state) {
    return state == DownloadState::Done || state == DownloadState::Failed ||
           state == DownloadState::Cancelled;
}

} // namespace vorlane::store
