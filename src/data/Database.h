#pragma once

#include "data/Status.h"

#include <QSqlDatabase>
#include <QString>
#include <atomic>

// The program's one connection to its CVN.db file.
namespace Database {

// CVN.db in the program's folder, or in the user's data folder when the program's
// folder is not writable.
QString defaultPath();

// Opens `path` after the start-up checks, in this order: the folder and file can
// be read and written; no other running Corvana holds the file, under whatever
// name it reaches it (see DatabaseLock); it is an SQLite database of Corvana's;
// it is not damaged; its schema version is not newer than this program's (an
// older one is migrated, after a backup copy). A file that does not exist is
// created whole or not at all, with the schema and the one admin row. A file
// that fails a check is left byte for byte as it was; the failure names the
// cause. A file another program has locked is waited for (busyTimeout) and then
// reported as in use, not as damaged.
Status open(const QString &path);

// The open connection (invalid before open()).
QSqlDatabase connection();
// The open file's real path (symbolic links resolved).
QString path();

// Replaces the open file's data with the backup `backup` and reopens it. The
// backup is checked first (a damaged one changes nothing), then the current data
// is itself backed up (`safetyBackup` receives where), then the backup is copied
// beside the file under a temporary name, synced, checked again and renamed over
// it: killed at any moment, the file holds the old data or the new, whole.
Status restoreFrom(const QString &backup, QString *safetyBackup = nullptr);

// SQLite's check of the whole file at `path` (every table and index, and the free
// pages), on a read-only connection of its own; open() checks only the small
// tables, as this takes long on a large file. Runs on any thread; setting `stop`
// ends it early with nothing found.
Status checkWhole(const QString &path, const std::atomic_bool *stop = nullptr);

// A mark of the data in the open file: two marks compare equal only when no row
// was written in between, through this connection or by another program, and
// the file was not opened again. Screens that read again whenever they are
// shown compare marks to skip a read that would find the same rows.
struct ChangeMark
{
    qint64 opening = -1; // which open() of this run
    qint64 own = -1;     // rows this connection has changed
    qint64 others = -1;  // commits seen from other connections
    friend bool operator==(const ChangeMark &, const ChangeMark &) = default;
};
// A mark that equals no other when the file cannot tell (not open, or a failed read).
ChangeMark changeMark();

// Closes the connection and releases the file's lock.
void close();

// How long a statement waits for another program's lock on the file before it
// fails as busy: a few seconds, unless set otherwise (tests shorten it; a
// negative value restores the default). Applies at once and to later opens.
void setBusyTimeout(int milliseconds);

} // namespace Database
