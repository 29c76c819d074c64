#include "data/Database.h"

#include "data/Backup.h"
#include "data/DatabaseLock.h"
#include "data/Schema.h"
#include "data/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QVariant>
#include <cstdio>
#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Database {
namespace {

const QString ConnectionName = QStringLiteral("corvana");
const QString CreationConnectionName = QStringLiteral("corvana-new");
constexpr int DefaultBusyTimeout = 5000;

struct State
{
    QString path;
    DatabaseLock lock;
    int busyTimeout = DefaultBusyTimeout;
    qint64 openings = 0;
};

State &state()
{
    static State s;
    return s;
}

bool folderWritable(const QString &dir)
{
    QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}

Status checkAccess(const QString &path, bool exists)
{
    const QFileInfo info(path);
    const QString dir = info.absolutePath();
    if (!QFileInfo(dir).isDir())
        return Status::failure(QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(dir)));
    if (exists) {
        if (!info.isFile())
            return Status::failure(QStringLiteral("It is not a file."));
        if (!info.isReadable())
            return Status::failure(QStringLiteral("The file cannot be read (no permission)."));
        if (!info.isWritable())
            return Status::failure(QStringLiteral("The file cannot be written (it is read-only)."));
    }
    if (!folderWritable(dir))
        return Status::failure(QStringLiteral("The folder %1 cannot be written.").arg(QDir::toNativeSeparators(dir)));
    return {};
}

Status checkHeader(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("The file cannot be read: %1").arg(f.errorString()));
    const QByteArray head = f.read(16);
    if (f.size() == 0)
        return Status::failure(QStringLiteral("The file is empty; it is not a Corvana database. If a first start "
                                              "of Corvana was stopped while it created the file, delete it (and "
                                              "%1-journal beside it, if there is one) and start Corvana again.")
                                   .arg(QFileInfo(path).fileName()));
    if (head != QByteArray("SQLite format 3\0", 16))
        return Status::failure(QStringLiteral("The file is not a database."));
    return {};
}

// A probe statement failed: a passing cause (the file is in use, the disk
// failed) is told as it is; anything else means the file is not sound.
Status notSound(const Status &s, const QString &verdict)
{
    if (DatabaseError::isPassing(s.cause()))
        return s;
    if (s.cause() == DatabaseError::Cause::Damaged || s.cause() == DatabaseError::Cause::NotADatabase)
        return Status::failure(verdict + QLatin1Char('.'));
    return Status::failure(QStringLiteral("%1 (%2).").arg(verdict, s.message()));
}

// SQLite's check of page structure, indexes and constraints; `sql` names what it covers.
Status quickCheck(QSqlDatabase db, const QString &sql)
{
    Status s;
    const auto check = scalar(db, sql, s);
    if (!check)
        return notSound(s, QStringLiteral("The file is damaged"));
    if (check->toString() != QLatin1String("ok")) {
        // SQLite lists every fault it finds; the first few tell what is wrong.
        QStringList lines = check->toString().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (lines.size() > 3)
            lines = lines.mid(0, 3) << QStringLiteral("...");
        return Status::failure(QStringLiteral("The file is damaged (%1).").arg(lines.join(QLatin1Char(' '))));
    }
    return {};
}

// Checks an existing file's marks and health; `isBlank` is set for an SQLite
// file with no tables and no marks, which is taken as a new database.
Status probe(QSqlDatabase db, bool &isBlank, int &version)
{
    Status s;
    const auto appId = scalar(db, QStringLiteral("PRAGMA application_id"), s);
    if (!appId)
        return notSound(s, QStringLiteral("The file is damaged or is not a database"));
    const auto userVersion = scalar(db, QStringLiteral("PRAGMA user_version"), s);
    const auto tables = scalar(db, QStringLiteral("SELECT count(*) FROM sqlite_master"), s);
    if (!userVersion || !tables)
        return notSound(s, QStringLiteral("The file is damaged"));
    isBlank = appId->toInt() == 0 && userVersion->toInt() == 0 && tables->toInt() == 0;
    if (isBlank)
        return {};
    if (appId->toInt() != Schema::ApplicationId)
        return Status::failure(QStringLiteral("The file belongs to another program; it is not a Corvana database."));
    // The small tables are checked now; the whole file, whose orders take most of
    // the time, in the background once the window is shown (checkWhole).
    for (const char *table : {"admin", "customer", "inventory", "suppliers", "recipes"}) {
        if (Status damaged = quickCheck(db, QStringLiteral("PRAGMA quick_check(%1)").arg(QLatin1String(table))); !damaged)
            return damaged;
    }
    version = userVersion->toInt();
    if (version > Schema::Version)
        return Status::failure(QStringLiteral("The file was written by a newer version of Corvana "
                                              "(schema %1; this program reads up to %2).")
                                   .arg(version).arg(Schema::Version));
    return {};
}

Status setPragmas(QSqlDatabase db)
{
    for (const char *sql : {"PRAGMA journal_mode = DELETE", "PRAGMA synchronous = FULL",
                            "PRAGMA foreign_keys = ON", "PRAGMA trusted_schema = OFF"}) {
        QSqlQuery q(db);
        if (!q.exec(QString::fromLatin1(sql)))
            return Status::failure(q.lastError(), QString::fromLatin1(sql));
    }
    return {};
}

Status upgrade(QSqlDatabase db, const QString &path, int version)
{
    if (Status s = Backup::take(db, path); !s)
        return Status::failure(QStringLiteral("No backup could be made before the upgrade. %1").arg(s.message()));
    const QString backup = QStringLiteral("%1.v%2.bak").arg(path).arg(version);
    QFile::remove(backup);
    if (!QFile::copy(path, backup))
        return Status::failure(QStringLiteral("The backup copy %1 could not be made before the upgrade.")
                                   .arg(QDir::toNativeSeparators(backup)));
    return Schema::migrate(db, version, Schema::Version, Schema::migrations());
}

// A connection to `path` that waits for other programs' locks (start-up
// probes included) before a statement fails as busy.
QSqlDatabase makeConnection(const QString &name, const QString &path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(state().busyTimeout));
    return db;
}

// Makes a rename or removal in `dir` last through a power cut.
void syncFolder(const QString &dir)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(dir);
#endif
}

// Writes a new Corvana file's schema and marks at `temp`.
Status writeNewFile(const QString &temp)
{
    Status s;
    {
        QSqlDatabase db = makeConnection(CreationConnectionName, temp);
        s = db.open() ? setPragmas(db) : Status::failure(db.lastError());
        if (s)
            s = Schema::create(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(CreationConnectionName);
    return s;
}

// Creates a new Corvana file at `path` whole or not at all: it is written under
// a temporary name beside it and renamed into place only when complete. A start
// killed meanwhile leaves only the temporary file (and its journal), which the
// next creation removes; never a file with the real name that cannot be opened.
Status createFile(const QString &path)
{
    const QString journal = path + QStringLiteral("-journal");
    if (QFileInfo::exists(journal))
        return Status::failure(QStringLiteral("The file does not exist, but its journal %1 does: it belongs to a "
                                              "database that was moved, deleted or never finished. Move the "
                                              "journal away (or delete it), then start Corvana again.")
                                   .arg(QDir::toNativeSeparators(journal)));
    const QString temp = path + QStringLiteral(".new");
    const auto removeTemp = [&temp] {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
    };
    removeTemp(); // left by a creation that was cut short; the lock is ours
    if (Status s = writeNewFile(temp); !s) {
        removeTemp();
        return s;
    }
    // A rename never replaces a file that appeared meanwhile.
    if (QFile made(temp); !made.rename(path)) {
        removeTemp();
        return Status::failure(QStringLiteral("The new file could not be put in place: %1").arg(made.errorString()));
    }
    syncFolder(QFileInfo(path).absolutePath());
    return {};
}

// The file's real path: symbolic links (of the file or its folders) resolved,
// "." and ".." gone. Every name of one file gives one lock file.
QString realPath(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString dir = QFileInfo(info.absolutePath()).canonicalFilePath();
    return dir.isEmpty() ? info.absoluteFilePath() : QDir(dir).filePath(info.fileName());
}

Status openChecked(const QString &path)
{
    if (QFileInfo(path).isSymLink() && !QFileInfo::exists(path))
        return Status::failure(QStringLiteral("It is a link to a file that does not exist (%1).")
                                   .arg(QDir::toNativeSeparators(QFileInfo(path).symLinkTarget())));
    const bool exists = QFileInfo::exists(path);
    if (Status s = checkAccess(path, exists); !s)
        return s;
    if (Status s = state().lock.lockName(path); !s)
        return s;
    if (!exists) {
        if (Status s = createFile(path); !s)
            return s;
    }
    if (Status s = state().lock.lockFile(path); !s)
        return s;
    if (Status s = checkHeader(path); !s)
        return s;
    QSqlDatabase db = makeConnection(ConnectionName, path);
    if (!db.open())
        return Status::failure(db.lastError());
    bool blank = false;
    int version = Schema::Version;
    if (Status s = probe(db, blank, version); !s)
        return s;
    if (Status s = setPragmas(db); !s)
        return s;
    if (blank)
        return Schema::create(db);
    if (version < Schema::Version)
        return upgrade(db, path, version);
    return {};
}

} // namespace

QString defaultPath()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    if (folderWritable(appDir))
        return QDir(appDir).filePath(QStringLiteral("CVN.db"));
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataDir);
    return QDir(dataDir).filePath(QStringLiteral("CVN.db"));
}

Status open(const QString &path)
{
    close();
    const QString real = realPath(path);
    Status s = openChecked(real);
    if (!s) {
        close();
        return s;
    }
    state().path = real;
    ++state().openings;
    return s;
}

ChangeMark changeMark()
{
    // Never equal to another mark: every caller reads again.
    static qint64 unknown = 0;
    const ChangeMark none{-1, --unknown, -1};
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return none;
    const QVariant handle = db.driver()->handle();
    auto *sqlite = handle.isValid() ? *static_cast<sqlite3 *const *>(handle.constData()) : nullptr;
    if (!sqlite)
        return none;
    // The rows this connection changed, and PRAGMA data_version for commits made
    // through other connections (it does not move for this connection's own).
    Status s;
    const auto others = scalar(db, QStringLiteral("PRAGMA data_version"), s);
    if (!others)
        return none;
    return {state().openings, sqlite3_total_changes64(sqlite), others->toLongLong()};
}

QSqlDatabase connection()
{
    return QSqlDatabase::database(ConnectionName, false);
}

Status checkWhole(const QString &path, const std::atomic_bool *stop)
{
    const QString name = QStringLiteral("corvana-whole-check-%1").arg(quintptr(QThread::currentThreadId()));
    Status result;
    {
        QSqlDatabase db = Backup::openReadOnly(name, path, result);
        if (result && stop) {
            // Asked to stop, SQLite abandons the check at its next step.
            const QVariant handle = db.driver()->handle();
            if (auto *sqlite = *static_cast<sqlite3 *const *>(handle.constData()))
                sqlite3_progress_handler(
                    sqlite, 1000, [](void *flag) { return static_cast<const std::atomic_bool *>(flag)->load() ? 1 : 0; },
                    const_cast<std::atomic_bool *>(stop));
        }
        if (result)
            result = quickCheck(db, QStringLiteral("PRAGMA quick_check"));
        if (stop && stop->load())
            result = {}; // stopped: nothing found
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

QString path()
{
    return state().path;
}

Status restoreFrom(const QString &backup, QString *safetyBackup)
{
    const QString path = state().path;
    if (path.isEmpty() || !connection().isOpen())
        return Status::failure(QStringLiteral("No database file is open."));
    if (Status s = Backup::inspect(backup); !s)
        return Status::failure(QStringLiteral("The backup cannot be restored; nothing was changed. %1").arg(s.message()));
    if (Status s = Backup::take(connection(), path, safetyBackup); !s)
        return Status::failure(QStringLiteral("The current data could not be backed up first, so nothing was "
                                              "changed. %1").arg(s.message()));
    const QString temp = path + QStringLiteral(".restoring");
    QFile::remove(temp);
    const auto fail = [&temp](const QString &why) {
        QFile::remove(temp);
        return Status::failure(QStringLiteral("The backup could not be restored; nothing was changed. %1").arg(why));
    };
    if (QFile source(backup); !source.copy(temp))
        return fail(source.errorString());
    Backup::syncToDisk(temp);
    if (Status s = Backup::inspect(temp); !s)
        return fail(s.message());
    // The connection goes (and with it any journal); rename() then swaps the
    // whole new file in at once.
    close();
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temp);
        const Status reopened = open(path);
        return Status::failure(QStringLiteral("The backup could not be put in place; nothing was changed.%1")
                                   .arg(reopened ? QString() : QStringLiteral(" ") + reopened.message()));
    }
    syncFolder(QFileInfo(path).absolutePath());
    return open(path);
}

void close()
{
    if (QSqlDatabase::contains(ConnectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(ConnectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(ConnectionName);
    }
    state().lock.release();
    state().path.clear();
}

void setBusyTimeout(int milliseconds)
{
    state().busyTimeout = milliseconds < 0 ? DefaultBusyTimeout : milliseconds;
    QSqlDatabase db = connection();
    if (db.isOpen()) {
        QSqlQuery q(db);
        q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(state().busyTimeout));
    }
}

} // namespace Database
