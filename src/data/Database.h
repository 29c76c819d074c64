#pragma once

#include "data/Status.h"

#include <QSqlDatabase>
#include <QString>

// The program's one connection to its CVN.db file.
namespace Database {

// CVN.db in the program's folder, or in the user's data folder when the program's
// folder is not writable.
QString defaultPath();

// Opens `path` after the start-up checks, in this order: the folder and file can
// be read and written; no other running Corvana holds the file; it is an SQLite
// database of Corvana's; it is not damaged; its schema version is not newer than
// this program's (an older one is migrated, after a backup copy). A file that
// does not exist is created with the schema and the one admin row. A file that
// fails a check is left byte for byte as it was; the failure names the cause.
Status open(const QString &path);

// The open connection (invalid before open()).
QSqlDatabase connection();
QString path();

// Closes the connection and releases the file's lock.
void close();

} // namespace Database
