#include "data/DatabaseLock.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <optional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const QString InUse = QStringLiteral("Another copy of Corvana has the file open.");

// What a QLockFile writes: "pid\nappname\nhostname\nmachine id\nboot id\n".
struct LockOwner
{
    QString host;
    QByteArray hostId;
};

// The owner a lock file names; nothing when it is empty, damaged or unreadable.
std::optional<LockOwner> readOwner(const QString &lockPath)
{
    QFile f(lockPath);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = f.read(4096).split('\n');
    bool numeric = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&numeric);
    if (!numeric || pid <= 0)
        return std::nullopt;
    return LockOwner{QString::fromUtf8(lines.value(2)), lines.value(3)};
}

// The rule QLockFile itself follows: the machine id where both are known, else the host name.
bool fromAnotherComputer(const LockOwner &owner)
{
    const QByteArray ours = QSysInfo::machineUniqueId();
    if (!owner.hostId.isEmpty() && !ours.isEmpty())
        return owner.hostId != ours;
    return !owner.host.isEmpty() && owner.host != QSysInfo::machineHostName();
}

// Removes a lock file that no running copy wrote. QLockFile refuses while a live
// process holds it (one that has only just created it); one this user may not
// even open is removed by name: the lock on the file itself still guards it.
bool removeUnreadableLock(QLockFile &lock, const QString &lockPath)
{
    if (lock.removeStaleLockFile() || !QFile::exists(lockPath))
        return true;
    QFile f(lockPath);
    if (f.open(QIODevice::WriteOnly | QIODevice::Append))
        return false; // it could be opened: a running copy holds it
    return QFile::remove(lockPath);
}

#ifdef Q_OS_UNIX
// One byte far beyond those SQLite locks (at 1 GiB), so this lock and the
// database's own never meet.
constexpr off_t IdentityLockOffset = off_t(1) << 40;
#endif

} // namespace

DatabaseLock::DatabaseLock() = default;

DatabaseLock::~DatabaseLock()
{
    release();
}

Status DatabaseLock::lockName(const QString &canonicalPath)
{
    const QString lockPath = canonicalPath + QStringLiteral(".lock");
    auto lock = std::make_unique<QLockFile>(lockPath);
    lock->setStaleLockTime(0); // only a lock of a process that has ended is stale
    if (!lock->tryLock(200)) {
        if (lock->error() != QLockFile::LockFailedError)
            return Status::failure(QStringLiteral("The lock file %1 cannot be created.")
                                       .arg(QDir::toNativeSeparators(lockPath)));
        const std::optional<LockOwner> owner = readOwner(lockPath);
        if (owner && fromAnotherComputer(*owner)) {
            return Status::failure(
                QStringLiteral("Corvana on the computer \"%1\" has the file open, says the lock file\n%2\n\n"
                               "If Corvana no longer runs on that computer (it stopped without closing "
                               "the file), delete the lock file and start Corvana again.")
                    .arg(owner->host, QDir::toNativeSeparators(lockPath)));
        }
        // A readable owner on this computer is alive: QLockFile takes over the
        // locks of processes that have ended.
        if (owner || !removeUnreadableLock(*lock, lockPath) || !lock->tryLock(0))
            return Status::failure(InUse);
    }
    m_lockFile = std::move(lock);
    return {};
}

Status DatabaseLock::lockFile(const QString &path)
{
#if defined(Q_OS_UNIX) && defined(F_OFD_SETLK)
    // An open-file-description lock: closing other handles of the file (SQLite's,
    // a backup copy's) leaves it in place, and it never meets SQLite's own locks.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return Status::failure(QStringLiteral("The file cannot be opened: %1.")
                                   .arg(QString::fromLocal8Bit(std::strerror(errno))));
    struct flock region = {};
    region.l_type = F_WRLCK;
    region.l_whence = SEEK_SET;
    region.l_start = IdentityLockOffset;
    region.l_len = 1;
    if (::fcntl(fd, F_OFD_SETLK, &region) == 0) {
        m_fileHandle = fd;
        return {};
    }
    const int error = errno;
    ::close(fd);
    if (error == EAGAIN || error == EACCES)
        return Status::failure(InUse);
    // A file system without locks: the lock file alone guards the file.
#else
    Q_UNUSED(path);
#endif
    return {};
}

void DatabaseLock::release()
{
#ifdef Q_OS_UNIX
    if (m_fileHandle >= 0)
        ::close(m_fileHandle);
#endif
    m_fileHandle = -1;
    m_lockFile.reset();
}
