#include "data/Database.h"

#include "data/Schema.h"
#include "data/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <memory>

namespace Database {
namespace {

const QString ConnectionName = QStringLiteral("corvana");

struct State
{
    QString path;
    std::unique_ptr<QLockFile> lock;
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

Status takeLock(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->setStaleLockTime(0); // only a lock of a dead process is stale
    if (!lock->tryLock(200)) {
        if (lock->error() == QLockFile::LockFailedError)
            return Status::failure(QStringLiteral("Another copy of Corvana has the file open."));
        return Status::failure(QStringLiteral("The lock file beside it cannot be created."));
    }
    state().lock = std::move(lock);
    return {};
}

Status checkHeader(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("The file cannot be read: %1").arg(f.errorString()));
    const QByteArray head = f.read(16);
    if (f.size() == 0)
        return Status::failure(QStringLiteral("The file is empty; it is not a Corvana database."));
    if (head != QByteArray("SQLite format 3\0", 16))
        return Status::failure(QStringLiteral("The file is not a database."));
    return {};
}

std::optional<QVariant> scalar(QSqlDatabase db, const QString &sql, Status &status)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next()) {
        status = Status::failure(q.lastError().text(), sql);
        return std::nullopt;
    }
    return q.value(0);
}

// Checks an existing file's marks and health; `isBlank` is set for an SQLite
// file with no tables and no marks, which is taken as a new database.
Status probe(QSqlDatabase db, bool &isBlank, int &version)
{
    Status s;
    const auto appId = scalar(db, QStringLiteral("PRAGMA application_id"), s);
    if (!appId)
        return Status::failure(QStringLiteral("The file is damaged or is not a database (%1).").arg(s.message()));
    const auto userVersion = scalar(db, QStringLiteral("PRAGMA user_version"), s);
    const auto tables = scalar(db, QStringLiteral("SELECT count(*) FROM sqlite_master"), s);
    if (!userVersion || !tables)
        return Status::failure(QStringLiteral("The file is damaged (%1).").arg(s.message()));
    isBlank = appId->toInt() == 0 && userVersion->toInt() == 0 && tables->toInt() == 0;
    if (isBlank)
        return {};
    if (appId->toInt() != Schema::ApplicationId)
        return Status::failure(QStringLiteral("The file belongs to another program; it is not a Corvana database."));
    const auto check = scalar(db, QStringLiteral("PRAGMA quick_check"), s);
    if (!check || check->toString() != QLatin1String("ok"))
        return Status::failure(QStringLiteral("The file is damaged (%1).")
                                   .arg(check ? check->toString() : s.message()));
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
            return Status::failure(q.lastError().text(), QString::fromLatin1(sql));
    }
    return {};
}

Status upgrade(QSqlDatabase db, const QString &path, int version)
{
    const QString backup = QStringLiteral("%1.v%2.bak").arg(path).arg(version);
    QFile::remove(backup);
    if (!QFile::copy(path, backup))
        return Status::failure(QStringLiteral("The backup copy %1 could not be made before the upgrade.")
                                   .arg(QDir::toNativeSeparators(backup)));
    return Schema::migrate(db, version, Schema::Version, Schema::migrations());
}

Status openChecked(const QString &path)
{
    const bool exists = QFileInfo::exists(path);
    if (Status s = checkAccess(path, exists); !s)
        return s;
    if (Status s = takeLock(path); !s)
        return s;
    if (exists) {
        if (Status s = checkHeader(path); !s)
            return s;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), ConnectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return Status::failure(QStringLiteral("The file cannot be opened (%1).").arg(db.lastError().text()));
    bool blank = !exists;
    int version = Schema::Version;
    if (exists) {
        if (Status s = probe(db, blank, version); !s)
            return s;
    }
    if (Status s = setPragmas(db); !s)
        return s;
    if (blank) {
        Status s = Schema::create(db);
        if (!s && !exists) {
            db.close();
            QFile::remove(path); // only a file this call created
        }
        return s;
    }
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
    const QString absolute = QFileInfo(path).absoluteFilePath();
    Status s = openChecked(absolute);
    if (!s) {
        close();
        return s;
    }
    state().path = absolute;
    return s;
}

QSqlDatabase connection()
{
    return QSqlDatabase::database(ConnectionName, false);
}

QString path()
{
    return state().path;
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
    state().lock.reset();
    state().path.clear();
}

} // namespace Database
