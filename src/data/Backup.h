#pragma once

#include "data/Status.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// Backups of the database file: whole, checked snapshots in a `backups` folder
// beside the file, named by the time they were taken so that they sort by age.
namespace Backup {

// The folder of `databasePath`'s backups: `backups` beside the file, or, when
// that folder cannot be written, one in the user's data folder.
QString folderFor(const QString &databasePath);

// The file name of a backup of `databasePath` taken at `when`:
// "CVN 2026-12-06 121900.db" (base name, local day, time).
QString fileName(const QString &databasePath, const QDateTime &when);
// The time a backup's file name carries; invalid for a name that is not a
// backup of `databasePath`.
QDateTime timeOf(const QString &databasePath, const QString &fileName);

struct Entry
{
    QString path;
    QDateTime taken;
    qint64 size = 0;
};
// The backups of `databasePath` in its backup folder, newest first.
QList<Entry> list(const QString &databasePath);

// Takes a backup of the open connection `db` (the file `databasePath`): a
// consistent snapshot written under a temporary name, synced to the disk,
// checked, then renamed; older backups are then thinned out (see toRemove).
// `made` receives the new backup's path. Never inside a running transaction.
Status take(QSqlDatabase db, const QString &databasePath, QString *made = nullptr,
            const QDateTime &now = QDateTime::currentDateTime());

// True when `databasePath` has no backup taken less than a day before `now`.
bool isDue(const QString &databasePath, const QDateTime &now = QDateTime::currentDateTime());

// Which of the backups taken at `times` to delete at `now`: all but the 10
// newest and the newest of each of the last 12 months (this month included).
QList<QDateTime> toRemove(QList<QDateTime> times, const QDateTime &now);

// What a backup holds.
struct Contents
{
    int customers = 0;
    int products = 0;
    int orders = 0;
    int expenses = 0;
};
// Checks that `file` is a whole, undamaged Corvana database this program can
// read, and counts what it holds. Reads only.
Status inspect(const QString &file, Contents *contents = nullptr);

// A connection named `name` to `file` that only reads; the caller removes it.
QSqlDatabase openReadOnly(const QString &name, const QString &file, Status &status);

// Makes `path`'s contents (or a rename in the folder `path`) last through a
// power cut.
void syncToDisk(const QString &path);

} // namespace Backup
