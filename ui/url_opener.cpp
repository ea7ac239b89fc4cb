#include "url_opener.h"

#include <QDesktopServices>

namespace vorlane::ui {

bool DesktopUrlOpener::open(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

} // namespace vorlane::ui
