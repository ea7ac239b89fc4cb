#pragma once
// Which addresses the program acts on, by scheme. Pure functions of the address text.

#include <QString>

namespace vorlane::urls {

// Only http and https addresses (with a host) are fetched as pages.
bool isCrawlableAddress(const QString& address);
// Only http, https and ftp addresses (with a host) are recorded as files and handed to the system's "open"
// action.
bool isRecordableAddress(const QString& address);

} // namespace vorlane::urls
