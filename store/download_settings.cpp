#include "store/download_settings.h"

#include "store/user_settings.h"
#include <algorithm>

namespace vorlane::store {

DownloadSettings loadDownloadSettings() {
    QSettings settings = openUserSettings();
    settings.beginGroup(QStringLiteral("Downloads"));
    DownloadSettings loaded;
    loaded.folder = settings.value(QStringLiteral("Folder")).toString().trimmed();
    loaded.folderPerCampaign = readBool(settings, QStringLiteral("FolderPerCampaign"), true);
    loaded.filesAtOnce = std::clamp(readInt(settings, QStringLiteral("FilesAtOnce"), 0), 0, kMaxFilesAtOnce);
    loaded.connectionsPerServer =
        std::clamp(readInt(settings, QStringLiteral("ConnectionsPerFile"), 1), 1, kMaxConnectionsPerFile);
    loaded.maxFileSize = std::max<qint64>(0, settings.value(QStringLiteral("MaxFileSize")).toLongLong());
    return loaded;
}

QString saveDownloadSettings(const DownloadSettings& settings) {
    QSettings file = openUserSettings();
    file.beginGroup(QStringLiteral("Downloads"));
    file.setValue(QStringLiteral("Folder"), settings.folder);
    file.setValue(QStringLiteral("FolderPerCampaign"), settings.folderPerCampaign);
    file.setValue(QStringLiteral("FilesAtOnce"), std::clamp(settings.filesAtOnce, 0, kMaxFilesAtOnce));
    file.setValue(QStringLiteral("ConnectionsPerFile"),
                  std::clamp(settings.connectionsPerServer, 1, kMaxConnectionsPerFile));
    file.setValue(QStringLiteral("MaxFileSize"), std::max<qint64>(0, settings.maxFileSize));
    file.endGroup();
    return syncUserSettings(file, "download settings");
}

} // namespace vorlane::store
