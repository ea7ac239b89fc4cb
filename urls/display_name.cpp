#include "urls/display_name.h"

#include "urls/resolve.h"

QString DisplayName(const QString& address) {
    return LastSegment(address);
}
