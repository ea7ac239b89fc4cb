#pragma once
// The database layout this program writes, as SQL compiled into it: the statements that create a fresh
// file with its seed rows, and the steps that bring an older file up to the current version.

#include <QStringList>

// Stored in PRAGMA user_version. 1: the first layout; 2: FILELINKS.FOUNDON added.
inline constexpr int kSchemaVersion = 2;

// Creates every table and index of the current version and inserts the seed rows; run on an empty file.
QStringList SchemaCreateStatements();
// The statements that take a file from `fromVersion` to `fromVersion + 1`.
QStringList SchemaUpgradeStatements(int fromVersion);
