#include "download_state.h"

#include <QStringList>

namespace vorlane::store {

static const QStringList& stateTexts() {
    static const QStringList texts = {"queued", "active", "paused", "done", "failed", "cancelled"};
    return texts;
}

QString downloadStateText(DownloadState state) {
    return stateTexts().at(int(state));
}

DownloadState downloadStateOf(const QString& text) {
    const qsizetype index = stateTexts().indexOf(text.trimmed().toLower());
    return index < 0 ? DownloadState::Queued : DownloadState(index);
}

} // namespace vorlane::store
