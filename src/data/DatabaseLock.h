#pragma once

#include "data/Status.h"

#include <QString>
#include <memory>

class QLockFile;

// Keeps a second running Corvana off a database file, however the file is
// reached (another spelling of its path, a symbolic link, a hard link):
// - the lock file beside the file's real path (links resolved), `CVN.db.lock`,
//   which says which process on which computer holds the file;
// - once the file exists, an advisory lock on the file itself, which every name
//   of the file shares.
class DatabaseLock
{
public:
    DatabaseLock();
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock &) = delete;
    DatabaseLock &operator=(const DatabaseLock &) = delete;

    // Takes the lock file `canonicalPath`.lock. A lock left by a process that has
    // ended, and one that is empty, damaged or unreadable, is taken over; a lock
    // of a running copy is refused, and so is one written on another computer
    // (whose copy this one cannot see), with what to do if none runs there.
    Status lockName(const QString &canonicalPath);

    // Takes the lock on the existing file at `path` itself.
    Status lockFile(const QString &path);

    // Releases both. Close the database connection first: closing a handle of
    // the file drops every POSIX lock this process holds on it, SQLite's too.
    void release();

private:
    std::unique_ptr<QLockFile> m_lockFile;
    int m_fileHandle = -1;
};
