#pragma once
// The download settings, kept in the per-user settings (group "Downloads"): where files go, a sub-folder
// per campaign, how many files at once, over how many connections each, and the largest file fetched.

#include <QString>

namespace vorlane::store {

inline constexpr int kMaxFilesAtOnce = 32;
inline constexpr int kMaxConnectionsPerFile = 4;

struct DownloadSettings {
    QString folder; // empty: the user's download folder + "/Vorlane"
    bool folderPerCampaign = true;
    int filesAtOnce = 0;          // 0: as many as the connection type fetches pages at once
    int connectionsPerServer = 1; // one file split over up to kMaxConnectionsPerFile
    qint64 maxFileSize = 0;       // bytes; 0: no limit
    bool operator==(const DownloadSettings&) const = default;
};

// Missing or unreadable values read as the defaults; numbers out of range are pulled in.
DownloadSettings loadDownloadSettings();
// Empty on success, otherwise why the settings could not be written.
QString saveDownloadSettings(const DownloadSettings& settings);

} // namespace vorlane::store
