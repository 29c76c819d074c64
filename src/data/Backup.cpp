#include "data/Backup.h"

#include "data/Schema.h"
#include "data/Transaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Backup {
namespace {

constexpr int KeepNewest = 10;
constexpr int KeepMonths = 12;
const char *const TimeFormat = "yyyy-MM-dd HHmmss";
const QString PartialSuffix = QStringLiteral(".partial");

bool writableFolder(const QString &dir)
{
    const QFileInfo info(dir);
    if (info.exists())
        return info.isDir() && info.isWritable();
    return QFileInfo(info.absolutePath()).isWritable() && QDir().mkpath(dir);
}

QString baseName(const QString &databasePath)
{
    return QFileInfo(databasePath).completeBaseName();
}

int monthIndex(const QDate &d)
{
    return d.year() * 12 + d.month() - 1;
}

QString uniqueConnectionName(const char *what)
{
    static int counter = 0;
    return QStringLiteral("corvana-%1-%2").arg(QLatin1String(what)).arg(++counter);
}

// Thins out the backups of `databasePath` (see toRemove).
void rotate(const QString &databasePath, const QDateTime &now)
{
    const QList<Entry> entries = list(databasePath);
    QList<QDateTime> times;
    for (const Entry &e : entries)
        times << e.taken;
    const QList<QDateTime> gone = toRemove(times, now);
    for (const Entry &e : entries) {
        if (gone.contains(e.taken))
            QFile::remove(e.path);
    }
    syncToDisk(folderFor(databasePath));
}

} // namespace

QString folderFor(const QString &databasePath)
{
    const QString beside = QDir(QFileInfo(databasePath).absolutePath()).filePath(QStringLiteral("backups"));
    if (writableFolder(beside))
        return beside;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString own = QDir(data).filePath(QStringLiteral("backups"));
    QDir().mkpath(own);
    return own;
}

QString fileName(const QString &databasePath, const QDateTime &when)
{
    return QStringLiteral("%1 %2.db").arg(baseName(databasePath), when.toString(QLatin1String(TimeFormat)));
}

QDateTime timeOf(const QString &databasePath, const QString &name)
{
    const QString prefix = baseName(databasePath) + QLatin1Char(' ');
    if (!name.startsWith(prefix) || !name.endsWith(QLatin1String(".db")))
        return {};
    const QString stamp = name.mid(prefix.size(), name.size() - prefix.size() - 3);
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{6}$"));
    if (!shape.match(stamp).hasMatch())
        return {};
    return QDateTime::fromString(stamp, QLatin1String(TimeFormat));
}

QList<Entry> list(const QString &databasePath)
{
    QList<Entry> entries;
    const QDir dir(folderFor(databasePath));
    const auto files = dir.entryInfoList({baseName(databasePath) + QStringLiteral(" *.db")}, QDir::Files);
    for (const QFileInfo &info : files) {
        const QDateTime taken = timeOf(databasePath, info.fileName());
        if (taken.isValid())
            entries.append({info.absoluteFilePath(), taken, info.size()});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.taken > b.taken; });
    return entries;
}

QList<QDateTime> toRemove(QList<QDateTime> times, const QDateTime &now)
{
    std::sort(times.begin(), times.end(), std::greater<>());
    QSet<int> monthsKept;
    QList<QDateTime> gone;
    for (int i = 0; i < times.size(); ++i) {
        const int age = monthIndex(now.date()) - monthIndex(times[i].date());
        const bool newestOfMonth = age >= 0 && age < KeepMonths && !monthsKept.contains(age);
        if (newestOfMonth)
            monthsKept.insert(age);
        if (i >= KeepNewest && !newestOfMonth)
            gone << times[i];
    }
    return gone;
}

bool isDue(const QString &databasePath, const QDateTime &now)
{
    const QList<Entry> entries = list(databasePath);
    return entries.isEmpty() || entries.first().taken.secsTo(now) >= 24 * 60 * 60
        || entries.first().taken > now;
}

QSqlDatabase openReadOnly(const QString &name, const QString &file, Status &status)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        status = Status::failure(db.lastError());
    return db;
}

Status inspect(const QString &file, Contents *contents)
{
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return Status::failure(QStringLiteral("The file cannot be read: %1").arg(f.errorString()));
        if (f.read(16) != QByteArray("SQLite format 3\0", 16))
            return Status::failure(QStringLiteral("The file is not a database."));
    }
    const QString name = uniqueConnectionName("inspect");
    Status s;
    {
        QSqlDatabase db = openReadOnly(name, file, s);
        const auto check = [&]() -> Status {
            Status st;
            const auto appId = scalar(db, QStringLiteral("PRAGMA application_id"), st);
            if (!appId)
                return st;
            if (appId->toInt() != Schema::ApplicationId)
                return Status::failure(QStringLiteral("The file is not a Corvana database."));
            const auto version = scalar(db, QStringLiteral("PRAGMA user_version"), st);
            if (!version)
                return st;
            if (version->toInt() > Schema::Version)
                return Status::failure(QStringLiteral("The file was written by a newer version of Corvana."));
            const auto integrity = scalar(db, QStringLiteral("PRAGMA integrity_check"), st);
            if (!integrity)
                return st;
            if (integrity->toString() != QLatin1String("ok"))
                return Status::failure(QStringLiteral("The file is damaged (%1).").arg(integrity->toString()));
            Contents counted;
            const struct { const char *table; int *count; } tables[] = {
                {"customer", &counted.customers}, {"inventory", &counted.products},
                {"orders", &counted.orders}, {"expenses", &counted.expenses}};
            for (const auto &t : tables) {
                const auto n = scalar(db, QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(t.table)), st);
                if (!n)
                    return st;
                *t.count = n->toInt();
            }
            if (contents)
                *contents = counted;
            return {};
        };
        if (s)
            s = check();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return s;
}

void syncToDisk(const QString &path)
{
#ifdef Q_OS_UNIX
    const bool folder = QFileInfo(path).isDir();
    const int fd = ::open(QFile::encodeName(path).constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(path);
#endif
}

Status take(QSqlDatabase db, const QString &databasePath, QString *made, const QDateTime &now)
{
    if (Transaction::running(db) != 0)
        return Status::failure(QStringLiteral("A backup cannot be taken while a change is being saved."));
    const QString folder = folderFor(databasePath);
    if (!QFileInfo(folder).isDir() || !QFileInfo(folder).isWritable())
        return Status::failure(QStringLiteral("The backup folder %1 cannot be written.")
                                   .arg(QDir::toNativeSeparators(folder)));
    const QString target = QDir(folder).filePath(fileName(databasePath, now));
    const QString temp = target + PartialSuffix;
    // Left by a backup that was cut short.
    for (const QFileInfo &left : QDir(folder).entryInfoList({QStringLiteral("*") + PartialSuffix}, QDir::Files))
        QFile::remove(left.absoluteFilePath());

    const auto fail = [&](const QString &why) {
        QFile::remove(temp);
        return Status::failure(QStringLiteral("The backup %1 could not be made: %2")
                                   .arg(QDir::toNativeSeparators(target), why));
    };
    // A snapshot of the last committed state, taken inside one read transaction.
    if (Status s = execBound(db, QStringLiteral("VACUUM INTO ?"), {temp}); !s)
        return fail(s.message());
    syncToDisk(temp);
    if (Status s = inspect(temp); !s)
        return fail(s.message());
    // rename() replaces a backup taken in the same second with this newer one.
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(QStringLiteral("it could not be renamed."));
    syncToDisk(folder);
    if (made)
        *made = target;
    rotate(databasePath, now);
    return {};
}

} // namespace Backup
