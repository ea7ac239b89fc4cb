#include "version.h"

QString ApplicationVersion() {
    return QStringLiteral(VORLANE_VERSION);
}
