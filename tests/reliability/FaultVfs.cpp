#include "FaultVfs.h"

#include <csignal>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace FaultVfs {
namespace {

// One open file: our methods in front, the wrapped VFS's file right behind.
struct File
{
    sqlite3_file base;
    sqlite3_file *real;
};

struct Armed
{
    bool on = false;
    Op op = Op::Write;
    std::int64_t target = 0;
    Mode mode = Mode::Once;
    Error error = Error::IoError;
    std::int64_t seen = 0;
    std::int64_t injected = 0;
};

sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_vfs;
Counts g_counts;
Armed g_armed[2];
std::int64_t g_killAt = 0;
std::int64_t g_killSeen = 0;

int errorCode(Op op, Error error)
{
    if (error == Error::DiskFull)
        return SQLITE_FULL;
    switch (op) {
    case Op::Read: return SQLITE_IOERR_READ;
    case Op::Write: return SQLITE_IOERR_WRITE;
    case Op::Sync: return SQLITE_IOERR_FSYNC;
    case Op::Truncate: return SQLITE_IOERR_TRUNCATE;
    case Op::Delete: return SQLITE_IOERR_DELETE;
    }
    return SQLITE_IOERR;
}

// Counts a call; SQLITE_OK lets it through, anything else is what it returns.
int pass(Op op)
{
    ++g_counts.calls[int(op)];
    if (op != Op::Read && ++g_killSeen == g_killAt)
        ::kill(::getpid(), SIGKILL);
    for (Armed &armed : g_armed) {
        if (!armed.on || armed.op != op)
            continue;
        ++armed.seen;
        if (armed.seen == armed.target || (armed.mode == Mode::Persistent && armed.seen > armed.target)) {
            ++armed.injected;
            return errorCode(op, armed.error);
        }
    }
    return SQLITE_OK;
}

sqlite3_file *real(sqlite3_file *f)
{
    return reinterpret_cast<File *>(f)->real;
}

int xClose(sqlite3_file *f)
{
    sqlite3_file *r = real(f);
    const int rc = r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
    f->pMethods = nullptr;
    return rc;
}

int xRead(sqlite3_file *f, void *buffer, int amount, sqlite3_int64 offset)
{
    if (const int rc = pass(Op::Read))
        return rc;
    return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
}

int xWrite(sqlite3_file *f, const void *buffer, int amount, sqlite3_int64 offset)
{
    if (const int rc = pass(Op::Write))
        return rc;
    return real(f)->pMethods->xWrite(real(f), buffer, amount, offset);
}

int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    if (const int rc = pass(Op::Truncate))
        return rc;
    return real(f)->pMethods->xTruncate(real(f), size);
}

int xSync(sqlite3_file *f, int flags)
{
    if (const int rc = pass(Op::Sync))
        return rc;
    return real(f)->pMethods->xSync(real(f), flags);
}

int xFileSize(sqlite3_file *f, sqlite3_int64 *size) { return real(f)->pMethods->xFileSize(real(f), size); }
int xLock(sqlite3_file *f, int level) { return real(f)->pMethods->xLock(real(f), level); }
int xUnlock(sqlite3_file *f, int level) { return real(f)->pMethods->xUnlock(real(f), level); }
int xCheckReservedLock(sqlite3_file *f, int *out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); }
int xFileControl(sqlite3_file *f, int op, void *arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); }
int xSectorSize(sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); }
int xDeviceCharacteristics(sqlite3_file *f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }

int xShmMap(sqlite3_file *f, int region, int size, int extend, void volatile **out)
{
    return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
}
int xShmLock(sqlite3_file *f, int offset, int n, int flags) { return real(f)->pMethods->xShmLock(real(f), offset, n, flags); }
void xShmBarrier(sqlite3_file *f) { real(f)->pMethods->xShmBarrier(real(f)); }
int xShmUnmap(sqlite3_file *f, int deleteFlag) { return real(f)->pMethods->xShmUnmap(real(f), deleteFlag); }

// No memory mapping: every page is read through xRead, where faults are injected.
int xFetch(sqlite3_file *, sqlite3_int64, int, void **out)
{
    *out = nullptr;
    return SQLITE_OK;
}
int xUnfetch(sqlite3_file *, sqlite3_int64, void *) { return SQLITE_OK; }

const sqlite3_io_methods IoMethods = {
    3, xClose, xRead, xWrite, xTruncate, xSync, xFileSize, xLock, xUnlock, xCheckReservedLock,
    xFileControl, xSectorSize, xDeviceCharacteristics, xShmMap, xShmLock, xShmBarrier, xShmUnmap,
    xFetch, xUnfetch,
};

int xOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *f, int flags, int *outFlags)
{
    auto *file = reinterpret_cast<File *>(f);
    file->real = reinterpret_cast<sqlite3_file *>(file + 1);
    std::memset(file->real, 0, g_real->szOsFile);
    const int rc = g_real->xOpen(g_real, name, file->real, flags, outFlags);
    f->pMethods = file->real->pMethods ? &IoMethods : nullptr;
    return rc;
}

int xDelete(sqlite3_vfs *, const char *name, int syncDir)
{
    if (const int rc = pass(Op::Delete))
        return rc;
    return g_real->xDelete(g_real, name, syncDir);
}

int xAccess(sqlite3_vfs *, const char *name, int flags, int *out) { return g_real->xAccess(g_real, name, flags, out); }
int xFullPathname(sqlite3_vfs *, const char *name, int n, char *out) { return g_real->xFullPathname(g_real, name, n, out); }
void *xDlOpen(sqlite3_vfs *, const char *name) { return g_real->xDlOpen(g_real, name); }
void xDlError(sqlite3_vfs *, int n, char *out) { g_real->xDlError(g_real, n, out); }
void (*xDlSym(sqlite3_vfs *, void *handle, const char *symbol))(void) { return g_real->xDlSym(g_real, handle, symbol); }
void xDlClose(sqlite3_vfs *, void *handle) { g_real->xDlClose(g_real, handle); }
int xRandomness(sqlite3_vfs *, int n, char *out) { return g_real->xRandomness(g_real, n, out); }
int xSleep(sqlite3_vfs *, int micro) { return g_real->xSleep(g_real, micro); }
int xCurrentTime(sqlite3_vfs *, double *out) { return g_real->xCurrentTime(g_real, out); }
int xGetLastError(sqlite3_vfs *, int n, char *out) { return g_real->xGetLastError(g_real, n, out); }
int xCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *out) { return g_real->xCurrentTimeInt64(g_real, out); }
int xSetSystemCall(sqlite3_vfs *, const char *name, sqlite3_syscall_ptr call)
{
    return g_real->xSetSystemCall(g_real, name, call);
}
sqlite3_syscall_ptr xGetSystemCall(sqlite3_vfs *, const char *name) { return g_real->xGetSystemCall(g_real, name); }
const char *xNextSystemCall(sqlite3_vfs *, const char *name) { return g_real->xNextSystemCall(g_real, name); }

} // namespace

const char *opName(Op op)
{
    static const char *const names[] = {"read", "write", "sync", "truncate", "delete"};
    return names[int(op)];
}

const char *modeName(Mode mode) { return mode == Mode::Once ? "once" : "persistent"; }
const char *errorName(Error error) { return error == Error::IoError ? "I/O error" : "disk full"; }

bool install()
{
    if (!g_real) {
        if (sqlite3_initialize() != SQLITE_OK)
            return false;
        g_real = sqlite3_vfs_find(nullptr);
        if (!g_real || g_real->iVersion < 3)
            return false;
        g_vfs = sqlite3_vfs{};
        g_vfs.iVersion = 3;
        g_vfs.szOsFile = int(sizeof(File)) + g_real->szOsFile;
        g_vfs.mxPathname = g_real->mxPathname;
        g_vfs.zName = "corvana-fault";
        g_vfs.xOpen = xOpen;
        g_vfs.xDelete = xDelete;
        g_vfs.xAccess = xAccess;
        g_vfs.xFullPathname = xFullPathname;
        g_vfs.xDlOpen = xDlOpen;
        g_vfs.xDlError = xDlError;
        g_vfs.xDlSym = xDlSym;
        g_vfs.xDlClose = xDlClose;
        g_vfs.xRandomness = xRandomness;
        g_vfs.xSleep = xSleep;
        g_vfs.xCurrentTime = xCurrentTime;
        g_vfs.xGetLastError = xGetLastError;
        g_vfs.xCurrentTimeInt64 = xCurrentTimeInt64;
        g_vfs.xSetSystemCall = xSetSystemCall;
        g_vfs.xGetSystemCall = xGetSystemCall;
        g_vfs.xNextSystemCall = xNextSystemCall;
    }
    resetCounts();
    return sqlite3_vfs_register(&g_vfs, 1) == SQLITE_OK && isDefault();
}

bool isDefault()
{
    return g_real && sqlite3_vfs_find(nullptr) == &g_vfs;
}

void resetCounts()
{
    g_counts = Counts{};
}

Counts counts()
{
    return g_counts;
}

void arm(Op op, std::int64_t n, Mode mode, Error error)
{
    g_armed[1] = Armed{};
    g_armed[0] = Armed{true, op, n, mode, error, 0, 0};
}

void armAlso(Op op, std::int64_t n, Mode mode, Error error)
{
    g_armed[1] = Armed{true, op, n, mode, error, 0, 0};
}

void disarm()
{
    g_armed[0].on = false;
    g_armed[1].on = false;
}

std::int64_t injected()
{
    return g_armed[0].injected + g_armed[1].injected;
}

void killBeforeWrite(std::int64_t k)
{
    g_killAt = k;
    g_killSeen = 0;
}

std::int64_t writesSinceKillArmed()
{
    return g_killSeen;
}

} // namespace FaultVfs
