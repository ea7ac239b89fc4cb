#include "version.h"

namespace vorlane::shell {

QString applicationVersion() {
    return QStringLiteral(VORLANE_VERSION);
}

} // namespace vorlane::shell
