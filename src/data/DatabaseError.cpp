#include "data/DatabaseError.h"

#include "data/Status.h"

#include <QSqlError>

namespace DatabaseError {
namespace {

// SQLite's primary result codes (the low byte of an extended code).
enum SqliteCode {
    SqliteCorrupt = 11,
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteIoError = 10,
    SqliteFull = 13,
    SqliteCantOpen = 14,
    SqliteConstraint = 19,
    SqliteNotADb = 26,
};
// SQLITE_READONLY_DBMOVED: the file was renamed or unlinked while open.
constexpr int SqliteReadOnlyDbMoved = SqliteReadOnly | (4 << 8);

} // namespace

Cause causeOf(const QSqlError &error)
{
    if (error.type() == QSqlError::NoError)
        return Cause::None;
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    if (!numeric)
        return Cause::Other;
    if (code == SqliteReadOnlyDbMoved)
        return Cause::FileGone;
    switch (code & 0xFF) {
    case SqliteBusy:
    case SqliteLocked:
        return Cause::Busy;
    case SqliteFull:
        return Cause::DiskFull;
    case SqliteReadOnly:
        return Cause::ReadOnly;
    case SqliteCantOpen:
        return Cause::CannotOpen;
    case SqliteIoError:
        return Cause::DiskError;
    case SqliteCorrupt:
        return Cause::Damaged;
    case SqliteNotADb:
        return Cause::NotADatabase;
    case SqliteConstraint:
        return Cause::Refused;
    default:
        return Cause::Other;
    }
}

QString explain(Cause cause, const QString &detail)
{
    switch (cause) {
    case Cause::Busy:
        return QStringLiteral("The database file is in use by another program, which has locked it. "
                              "Close that program or wait until it has finished, then try again.");
    case Cause::DiskFull:
        return QStringLiteral("The disk is full. Make room on the disk, then try again.");
    case Cause::ReadOnly:
        return QStringLiteral("The database file cannot be written: the file, its folder or the disk "
                              "is read-only.");
    case Cause::FileGone:
        return QStringLiteral("The database file was moved, renamed or deleted while Corvana was running, "
                              "so nothing more can be stored in it. Close Corvana and start it again "
                              "with the file in its place.");
    case Cause::CannotOpen:
        return QStringLiteral("The database file, or the journal file Corvana writes beside it, cannot be "
                              "opened. The file or its folder may have been moved, deleted or made read-only.");
    case Cause::DiskError:
        return QStringLiteral("The disk could not read or write the database file. The disk may be full, "
                              "failing or no longer connected.");
    case Cause::Damaged:
        return QStringLiteral("The database file is damaged.");
    case Cause::NotADatabase:
        return QStringLiteral("The file is not a database.");
    case Cause::Refused:
        return QStringLiteral("The database refused the values: %1.").arg(detail);
    case Cause::None:
    case Cause::Other:
        break;
    }
    return detail.isEmpty() ? QStringLiteral("The database reported an unknown error.")
                            : QStringLiteral("The database reported an error: %1.").arg(detail);
}

QString explain(const QSqlError &error)
{
    // The database's own text; the driver's ("Unable to fetch row") adds nothing.
    QString detail = error.databaseText().trimmed();
    if (detail.isEmpty())
        detail = error.driverText().trimmed();
    while (detail.endsWith(QLatin1Char('.')))
        detail.chop(1);
    return explain(causeOf(error), detail);
}

bool isPassing(Cause cause)
{
    switch (cause) {
    case Cause::Busy:
    case Cause::DiskFull:
    case Cause::ReadOnly:
    case Cause::FileGone:
    case Cause::CannotOpen:
    case Cause::DiskError:
        return true;
    default:
        return false;
    }
}

} // namespace DatabaseError

Status Status::failure(const QSqlError &error, const QString &statement)
{
    Status s = failure(DatabaseError::explain(error), statement);
    if (const DatabaseError::Cause cause = DatabaseError::causeOf(error); cause != DatabaseError::Cause::None)
        s.m_cause = cause;
    return s;
}
