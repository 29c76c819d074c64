#pragma once

// A fault-injecting SQLite VFS for the reliability tests. It wraps the system's
// default VFS ("unix") and is registered as the new default, so every connection
// opened afterwards in the process goes through it, Qt's QSQLITE driver included
// (it links the same system libsqlite3 and opens files with the default VFS).
//
// It counts the calls that reach the disk (reads, writes, syncs, truncations of
// any file SQLite opens, and deletions of files such as the rollback journal) and
// can
//  - fail the n-th call of one kind, once or from then on, with an I/O error or
//    with "disk full";
//  - kill the process (SIGKILL, nothing flushed or unwound) just before the
//    k-th call that changes the disk (write, sync, truncate, delete).

#include <cstdint>

namespace FaultVfs {

enum class Op { Read, Write, Sync, Truncate, Delete };
inline constexpr int OpCount = 5;
const char *opName(Op op);

// Registers the VFS as SQLite's default; true when it is (again) the default.
// Call before the connection is opened.
bool install();
// True when connections opened now would use this VFS.
bool isDefault();

// Calls of each kind since the last resetCounts() (or install()).
struct Counts
{
    std::int64_t calls[OpCount] = {};
    std::int64_t operator[](Op op) const { return calls[int(op)]; }
};
void resetCounts();
Counts counts();

enum class Mode { Once, Persistent };
enum class Error { IoError, DiskFull };
const char *modeName(Mode mode);
const char *errorName(Error error);

// From now on, the n-th call of `op` (1 = the next one) fails with `error`;
// with Persistent every later call of `op` fails too, until disarm().
void arm(Op op, std::int64_t n, Mode mode, Error error);
// A second fault, of another kind, armed alongside the first (a truncation
// while a failed write is undone).
void armAlso(Op op, std::int64_t n, Mode mode, Error error);
void disarm();
// Calls failed since the last arm().
std::int64_t injected();

// The process kills itself with SIGKILL just before the k-th call (1 = the next
// one) that changes the disk: a write, sync, truncation or deletion. 0 disarms.
void killBeforeWrite(std::int64_t k);
// Calls that changed the disk since killBeforeWrite() was armed.
std::int64_t writesSinceKillArmed();

} // namespace FaultVfs
