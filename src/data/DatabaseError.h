#pragma once

#include <QString>

class QSqlError;

// Database failures in plain words. Every message that reports a failure of the
// database file (at start-up, in a form, in a list, in the order and bookkeeping
// screens) takes its explanation from here, so one cause always reads the same
// and the driver's technical additions ("Unable to fetch row") never reach the
// user. Status::failure(const QSqlError &) applies it to every failed statement.
namespace DatabaseError {

enum class Cause {
    None,          // no failure of the database (a rule of the program's own)
    Busy,          // another program held a lock on the file for longer than the wait
    DiskFull,      // the disk (or the user's share of it) is full
    ReadOnly,      // the file, its folder or the disk cannot be written
    FileGone,      // the file was moved, renamed or deleted while it was open
    CannotOpen,    // the file, or the journal beside it, cannot be opened or created
    DiskError,     // the disk failed to read or write
    Damaged,       // the file's contents are damaged
    NotADatabase,  // the file is not a database at all
    Refused,       // a rule of the database refused the values
    Other,         // anything else the database reported
};

// The cause of a failure reported by Qt's SQLite driver, read from the SQLite
// result code it carries (QSqlError::nativeErrorCode(); extended codes too).
Cause causeOf(const QSqlError &error);

// What happened, in plain words, and what the user can do about it. Only where
// there are no plain words (Refused, Other) is the database's own text added,
// without the driver's additions.
QString explain(const QSqlError &error);

// The plain words for `cause`; `detail` is the database's own text, used for
// Refused and Other only.
QString explain(Cause cause, const QString &detail = {});

// True for the causes that say nothing about the file's contents (it is in use,
// the disk is full, ...): at start-up such a file is not reported as damaged.
bool isPassing(Cause cause);

} // namespace DatabaseError
