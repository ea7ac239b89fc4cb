#pragma once
// The database layout this program writes, as SQL compiled into it: the statements that create a fresh
// file with its seed rows, and the steps that bring an older file up to the current version.

#include <QStringList>

namespace vorlane::store {

// Stored in PRAGMA user_version. 1: the first layout; 2: FILELINKS.FOUNDON added; 3: DOWNLOADS added;
// 4: CRAWLLOG added.
inline constexpr int kSchemaVersion = 4;

// Creates every table and index of the current version and inserts the seed rows; run on an empty file.
QStringList schemaCreateStatements();
// The statements that take a file from `fromVersion` to `fromVersion + 1`.
QStringList schemaUpgradeStatements(int fromVersion);

} // namespace vorlane::store
