#pragma once
// The name a file link is shown under: in the result lists, in exports and wherever a file is named.

#include <QString>

QString DisplayName(const QString& address);
