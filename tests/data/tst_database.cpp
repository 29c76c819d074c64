#include "ChildProcess.h"
#include "TestSupport.h"

#include "data/DatabaseError.h"
#include "data/Schema.h"
#include "data/Transaction.h"

#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSysInfo>
#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

using Cause = DatabaseError::Cause;
Q_DECLARE_METATYPE(Cause)

namespace {

// Everything on disk under a folder: a folder by name, a file by its time of change
// and its bytes. A folder's own time is left out: the lock file beside the
// database comes and goes.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QByteArray &entry = tree[QDir(root).relativeFilePath(info.filePath())];
        if (info.isDir())
            continue;
        entry = info.lastModified().toString(Qt::ISODateWithMs).toLatin1() + '\n';
        QFile f(info.filePath());
        if (f.open(QIODevice::ReadOnly))
            entry += f.readAll();
    }
    return tree;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A Corvana file with enough customers to fill several pages, then `change` run on it.
bool makeCorvanaFile(const QString &path, const QString &change = "SELECT 1")
{
    const QString customers = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                              "INSERT INTO customer (cust_num, last_name, comments) "
                              "SELECT i, 'Name ' || i, hex(zeroblob(100)) FROM n";
    const bool ok = Database::open(path).ok() && execBound(Database::connection(), customers).ok()
        && execBound(Database::connection(), change).ok();
    Database::close();
    return ok;
}

// The number of rows of a table of the open database.
int rowsOf(const QString &table)
{
    QSqlQuery q(Database::connection());
    return q.exec("SELECT count(*) FROM " + table) && q.next() ? q.value(0).toInt() : -1;
}

// Leaves the lock file of a process that ended without releasing it.
bool leaveStaleLock(const QString &lockPath)
{
    const pid_t child = ::fork();
    if (child == 0) {
        QLockFile lock(lockPath);
        ::_exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 1;
    return child > 0 && ::waitpid(child, &status, 0) == child && status == 0;
}

// Adds a column; fails unless a transaction is already running around it.
Schema::MigrationStep addColumn(int from, const QString &column)
{
    return {from, [column](QSqlDatabase db) {
                if (execBound(db, "BEGIN").ok())
                    return Status::failure("the step ran outside a transaction");
                return execBound(db, QString("ALTER TABLE customer ADD COLUMN %1 TEXT").arg(column));
            }};
}

// Another Corvana with the file at `path` open.
std::unique_ptr<HeldByChild> runningCopy(const QString &path)
{
    return std::make_unique<HeldByChild>([path] { return Database::open(path).ok(); }, [] { Database::close(); });
}

Schema::MigrationStep failing(int from)
{
    return {from, [](QSqlDatabase db) { return execBound(db, "ALTER TABLE nosuch ADD COLUMN x TEXT"); }};
}

} // namespace

using Steps = std::vector<Schema::MigrationStep>;
Q_DECLARE_METATYPE(Steps)

class tst_Database : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        Database::close();
        Database::setBusyTimeout(-1);
    }

    // The settings are read from it; the file's marks are checked by every reopening below.
    void newFileHasOneAdminRow()
    {
        TestDatabase t;
        QCOMPARE(t.count("admin"), 1);
    }

    // Damage in the large tables passes the check at open and is found by the check
    // of the whole file, which a stop request ends early with nothing found.
    void wholeCheck_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::addColumn<bool>("stopped");
        QTest::newRow("sound") << false << false;
        QTest::newRow("orders damaged") << true << false;
        QTest::newRow("orders damaged, stopped") << true << true;
    }
    void wholeCheck()
    {
        QFETCH(bool, damaged);
        QFETCH(bool, stopped);
        QTemporaryDir root;
        const QString path = root.filePath("CVN.db");
        const QString orders = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                               "INSERT INTO orders (order_num, cust_num, comments) SELECT i, 1, hex(zeroblob(50)) FROM n";
        QVERIFY(makeCorvanaFile(path, orders));
        if (damaged) {
            QVERIFY(Database::open(path));
            QSqlQuery q(Database::connection());
            QVERIFY(q.exec("SELECT rootpage FROM sqlite_master WHERE name = 'orders'") && q.next());
            const qint64 root = q.value(0).toLongLong();
            QVERIFY(q.exec("PRAGMA page_size") && q.next());
            const qint64 pageSize = q.value(0).toLongLong();
            q.finish();
            Database::close();
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite) && f.seek((root - 1) * pageSize));
            QCOMPARE(f.write(QByteArray(pageSize, '\xFF')), pageSize);
        }
        QVERIFY(Database::open(path));
        QCOMPARE(rowsOf("customer"), 200);
        Database::close();
        const std::atomic_bool stop = stopped;
        const Status whole = Database::checkWhole(path, &stop);
        QCOMPARE(whole.ok(), !damaged || stopped);
        if (!whole)
            QVERIFY2(whole.message().startsWith("The file is damaged"), qPrintable(whole.message()));
    }

    void constraintsRefuse_data()
    {
        QTest::addColumn<QString>("refused");
        QTest::newRow("order for a missing customer") << "INSERT INTO orders (order_num, cust_num) VALUES (0, 7)";
        QTest::newRow("detail for a missing product")
            << "INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (5, 1, 9, 1)";
        QTest::newRow("deleting a customer with orders") << "DELETE FROM customer WHERE cust_num = 1";
        QTest::newRow("two orders with one key") << "INSERT INTO orders (order_num, cust_num) VALUES (5, 1)";
    }

    void constraintsRefuse()
    {
        QFETCH(QString, refused);
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num) VALUES (1)"));
        QVERIFY(t.exec("INSERT INTO orders (order_num, cust_num) VALUES (5, 1)"));
        QVERIFY(!execBound(t.db(), refused).ok());
    }

    void refusedFileUnchanged_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("cause"); // a pattern the message must match
        QTest::addColumn<bool>("needsPermissions");
        QTest::newRow("text") << "text" << "not a database" << false;
        QTest::newRow("empty") << "empty" << "empty" << false;
        QTest::newRow("another program's") << "foreign" << "another program" << false;
        QTest::newRow("newer schema") << "newer" << "newer version" << false;
        QTest::newRow("damaged") << "damaged" << "damaged" << false;
        QTest::newRow("a folder") << "folder" << "not a file" << false;
        QTest::newRow("missing folder") << "missing folder" << "folder .* does not exist" << false;
        QTest::newRow("in use") << "locked" << "another copy of Corvana" << false;
        QTest::newRow("in use by another program")
            << "held" << "^The database file is in use by another program[^()]*$" << false;
        QTest::newRow("journal of a missing file") << "orphan journal" << "journal .*CVN.db-journal does" << false;
        QTest::newRow("unreadable") << "unreadable" << "cannot be read" << true;
        QTest::newRow("read-only") << "read-only" << "read-only" << true;
        QTest::newRow("read-only folder") << "read-only folder" << "folder .* cannot be written" << true;
    }

    // A refused file is left as it was, with a message that names the cause.
    void refusedFileUnchanged()
    {
        QFETCH(QString, kind);
        QFETCH(QString, cause);
        QFETCH(bool, needsPermissions);
        if (needsPermissions)
            RUN_UNPRIVILEGED();
        QTemporaryDir root;
        const QString dir = root.filePath("data");
        QVERIFY(QDir().mkdir(dir));
        const QString path = QDir(dir).filePath(kind == "missing folder" ? "nosuch/CVN.db" : "CVN.db");
        QVERIFY2(prepare(kind, dir, path), "the file could not be prepared");
        QLockFile held(path + ".lock"); // another running copy's; this process's own counts as one
        if (kind == "locked")
            QVERIFY(held.tryLock(0));
        std::unique_ptr<HeldByChild> otherProgram;
        if (kind == "held") {
            otherProgram = holdWriteLock(path);
            QVERIFY(otherProgram->ready());
            Database::setBusyTimeout(300);
        }
        const QMap<QString, QByteArray> before = snapshot(root.path());

        const Status s = Database::open(path);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY2(!s.ok(), "the file was accepted");
        const QRegularExpression pattern(cause, QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(pattern.match(s.message()).hasMatch(), qPrintable(s.message()));
        QVERIFY(!Database::connection().isOpen());
        QVERIFY2(snapshot(root.path()) == before, "the folder changed");
    }

    void lockFileOnStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal"); // a pattern of the message; empty: the lock is taken over
        QTest::addColumn<bool>("needsPermissions");
        QTest::newRow("left by a process that ended") << "ended" << "" << false;
        QTest::newRow("empty") << "empty" << "" << false;
        QTest::newRow("damaged") << "damaged" << "" << false;
        QTest::newRow("unreadable") << "unreadable" << "" << true;
        QTest::newRow("from another computer")
            << "other computer" << "computer \"faraway\".*\n.*CVN\\.db\\.lock\n.*delete the lock file" << false;
    }

    // A lock file no running copy on this computer holds does not keep the program
    // out; one from another computer is explained, and left in place.
    void lockFileOnStart()
    {
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        QFETCH(bool, needsPermissions);
        if (needsPermissions)
            RUN_UNPRIVILEGED();
        QTemporaryDir root;
        const QString path = root.filePath("CVN.db");
        const QString lockPath = path + ".lock";
        QVERIFY(makeCorvanaFile(path));
        if (kind == "ended")
            QVERIFY(leaveStaleLock(lockPath));
        else if (kind == "empty")
            QVERIFY(writeFile(lockPath, {}));
        else if (kind == "damaged")
            QVERIFY(writeFile(lockPath, "\x01\x02garbage\n"));
        else if (kind == "unreadable")
            QVERIFY(writeFile(lockPath, QByteArray::number(::getpid()) + "\n") && QFile::setPermissions(lockPath, {}));
        else if (kind == "other computer")
            QVERIFY(writeFile(lockPath, "4242\ncorvana\nfaraway\n" + QSysInfo::machineUniqueId().toHex() + "x\nboot\n"));
        const QByteArray lockBefore = snapshot(root.path()).value("CVN.db.lock");

        const Status s = Database::open(path);
        if (refusal.isEmpty()) {
            QVERIFY2(s.ok(), qPrintable(s.message()));
            Database::close();
            QVERIFY(!QFile::exists(lockPath));
            return;
        }
        QVERIFY(!s.ok());
        const QRegularExpression pattern(refusal, QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(pattern.match(s.message()).hasMatch(), qPrintable(s.message()));
        QVERIFY(s.message().contains(QDir::toNativeSeparators(lockPath)));
        QCOMPARE(snapshot(root.path()).value("CVN.db.lock"), lockBefore);
    }

    void secondCopyRefused_data()
    {
        QTest::addColumn<QString>("alias"); // how the second copy names the file
        QTest::newRow("the same name") << "same";
        QTest::newRow("another spelling") << "spelling";
        QTest::newRow("a symbolic link") << "symlink";
        QTest::newRow("a hard link") << "hard link";
    }

    // While one copy has the file open, a second is refused however it reaches
    // the file; once the first has closed it, the second opens it by that name.
    void secondCopyRefused()
    {
        QFETCH(QString, alias);
        QTemporaryDir root;
        const QString dir = root.filePath("data");
        const QString path = QDir(dir).filePath("CVN.db");
        QVERIFY(QDir().mkpath(dir + "/sub"));
        QVERIFY(makeCorvanaFile(path));
        QString other = path;
        if (alias == "spelling")
            other = dir + "/sub/..//./CVN.db";
        else if (alias == "symlink")
            QVERIFY(QFile::link(path, other = root.filePath("shop.db")));
        else if (alias == "hard link")
            QVERIFY(::link(QFile::encodeName(path), QFile::encodeName(other = root.filePath("shop.db"))) == 0);

        auto first = runningCopy(path);
        QVERIFY(first->ready());
        const Status second = Database::open(other);
        QVERIFY2(!second.ok() && second.message().contains("Another copy of Corvana"), qPrintable(second.message()));
        first->release();
        const Status later = Database::open(other);
        QVERIFY2(later.ok(), qPrintable(later.message()));
        Database::close(); // before its folder goes
    }

    void plainWords_data()
    {
        QTest::addColumn<QString>("code"); // the SQLite result code the driver reports
        QTest::addColumn<QString>("databaseText");
        QTest::addColumn<Cause>("cause");
        QTest::addColumn<QString>("words"); // a pattern the explanation must match
        QTest::newRow("busy") << "5" << "database is locked" << Cause::Busy << "^The database file is in use";
        QTest::newRow("table locked") << "6" << "database table is locked" << Cause::Busy << "in use";
        QTest::newRow("disk full") << "13" << "database or disk is full" << Cause::DiskFull << "^The disk is full";
        QTest::newRow("read-only") << "8" << "attempt to write a readonly database" << Cause::ReadOnly << "read-only";
        QTest::newRow("moved while open") << "1032" << "attempt to write a readonly database" << Cause::FileGone
                                          << "moved, renamed or deleted";
        QTest::newRow("cannot open") << "14" << "unable to open database file" << Cause::CannotOpen << "cannot be opened";
        QTest::newRow("write error") << "778" << "disk I/O error" << Cause::DiskError << "could not read or write";
        QTest::newRow("damaged") << "11" << "database disk image is malformed" << Cause::Damaged << "damaged";
        QTest::newRow("not a database") << "26" << "file is not a database" << Cause::NotADatabase << "not a database";
        QTest::newRow("a rule refuses") << "1811" << "no order without a customer" << Cause::Refused
                                        << "^The database refused the values: no order without a customer\\.$";
        QTest::newRow("other") << "1" << "no such table: nosuch" << Cause::Other << "error: no such table: nosuch\\.$";
    }

    // Each cause in plain words, never with the driver's own additions.
    void plainWords()
    {
        QFETCH(QString, code);
        QFETCH(QString, databaseText);
        QFETCH(Cause, cause);
        QFETCH(QString, words);
        const QSqlError error("Unable to fetch row", databaseText, QSqlError::StatementError, code);
        QCOMPARE(DatabaseError::causeOf(error), cause);
        const Status s = Status::failure(error, "SELECT 1");
        QCOMPARE(s.cause(), cause);
        QVERIFY2(QRegularExpression(words).match(s.message()).hasMatch(), qPrintable(s.message()));
        QVERIFY2(!s.message().contains("Unable to fetch row"), qPrintable(s.message()));
    }

    void failureWhileRunning_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<Cause>("cause");
        QTest::newRow("another program locks the file") << "locked" << Cause::Busy;
        QTest::newRow("the file is moved") << "moved" << Cause::FileGone;
        QTest::newRow("the file is deleted") << "deleted" << Cause::FileGone;
    }

    // What happens to the file while the program runs reaches the user in plain words.
    void failureWhileRunning()
    {
        QFETCH(QString, event);
        QFETCH(Cause, cause);
        TestDatabase t;
        std::unique_ptr<HeldByChild> otherProgram;
        if (event == "locked") {
            Database::setBusyTimeout(200);
            otherProgram = holdWriteLock(t.path());
            QVERIFY(otherProgram->ready());
        } else if (event == "moved") {
            QVERIFY(QFile::rename(t.path(), t.path() + ".elsewhere"));
        } else {
            QVERIFY(QFile::remove(t.path()));
        }
        const Status s = execBound(t.db(), "INSERT INTO customer (cust_num) VALUES (1)");
        QCOMPARE(s.cause(), cause);
        QCOMPARE(s.message(), DatabaseError::explain(cause));
    }

    // A lock another program holds for a moment is waited for, at start-up too.
    void waitsForAnotherProgram()
    {
        QTemporaryDir root;
        const QString path = root.filePath("CVN.db");
        QVERIFY(makeCorvanaFile(path));
        auto otherProgram = holdWriteLock(path, 1000);
        QVERIFY(otherProgram->ready());
        const Status s = Database::open(path);
        QVERIFY2(s.ok(), qPrintable(s.message()));
        QVERIFY(execBound(Database::connection(), "INSERT INTO customer (cust_num) VALUES (999)").ok());
        Database::close();
    }

    // A first start killed at any moment while it creates the file leaves no file
    // or a complete one, and the next start goes on; never a file with the real
    // name that cannot be opened.
    void killedCreationLeavesNoBrokenFile()
    {
        QElapsedTimer clock;
        QTemporaryDir timing;
        clock.start();
        QVERIFY(Database::open(timing.filePath("CVN.db")).ok());
        Database::close();
        const qint64 creation = std::max<qint64>(clock.nsecsElapsed() / 1000, 2000);
        int complete = 0;
        for (int step = 0; step < 16; ++step) {
            QTemporaryDir root;
            const QString path = root.filePath("CVN.db");
            const pid_t child = ::fork();
            if (child == 0) {
                (void)Database::open(path);
                ::_exit(0);
            }
            QVERIFY(child > 0);
            ::usleep(useconds_t(creation * step / 10));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            if (QFileInfo::exists(path)) {
                const QString when = QString("killed after %1 us").arg(creation * step / 10);
                QVERIFY2(QFileInfo(path).size() > 0, qPrintable(when));
                ++complete;
            }
            const Status next = Database::open(path);
            QVERIFY2(next.ok(), qPrintable(next.message()));
            QCOMPARE(rowsOf("admin"), 1);
            Database::close();
            QCOMPARE(QDir(root.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"CVN.db"});
        }
        qInfo("%d of 16 kills came after the file was complete", complete);
    }

    // What a creation cut short leaves (its temporary file and journal) is cleared away.
    void leftoversOfCutCreationCleared()
    {
        QTemporaryDir root;
        const QString path = root.filePath("CVN.db");
        QVERIFY(writeFile(path + ".new", QByteArray("SQLite format 3\0", 16) + QByteArray(100, 0)));
        QVERIFY(writeFile(path + ".new-journal", QByteArray(512, '\xd9')));
        const Status s = Database::open(path);
        QVERIFY2(s.ok(), qPrintable(s.message()));
        QCOMPARE(rowsOf("admin"), 1);
        Database::close();
        QCOMPARE(QDir(root.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"CVN.db"});
    }

    void migrate_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<bool>("ok");
        const int v = Schema::Version; // a new file's
        QTest::newRow("two steps, listed out of order") << Steps{addColumn(v + 1, "fax"), addColumn(v, "nickname")} << true;
        QTest::newRow("second step fails") << Steps{addColumn(v, "nickname"), failing(v + 1)} << false;
        QTest::newRow("a step missing") << Steps{addColumn(v, "nickname")} << false;
    }

    // All steps or none: a failure leaves the file at its version, without the columns.
    void migrate()
    {
        QFETCH(Steps, steps);
        QFETCH(bool, ok);
        TestDatabase t;
        const int v = Schema::Version;
        QCOMPARE(Schema::migrate(t.db(), v, v + 2, steps).ok(), ok);
        QCOMPARE(t.scalar("PRAGMA user_version").toInt(), ok ? v + 2 : v);
        const QVariant added = t.scalar("SELECT count(*) FROM pragma_table_info('customer') "
                                        "WHERE name IN ('nickname', 'fax')");
        QCOMPARE(added.toInt(), ok ? 2 : 0);
        // No transaction is left open behind the result.
        Transaction after(t.db());
        QVERIFY(after.begin().ok());
    }

    void transactionGuard_data()
    {
        QTest::addColumn<bool>("commit");
        QTest::newRow("committed") << true;
        QTest::newRow("scope left without commit") << false;
    }

    void transactionGuard()
    {
        QFETCH(bool, commit);
        TestDatabase t;
        {
            Transaction tx(t.db());
            QVERIFY(tx.begin().ok());
            QVERIFY(execBound(t.db(), "INSERT INTO customer (cust_num) VALUES (1)").ok());
            QVERIFY(execBound(t.db(), "INSERT INTO customer (cust_num) VALUES (2)").ok());
            if (commit)
                QVERIFY(tx.commit().ok());
        }
        // What was kept is on disk: it survives closing and reopening the file.
        Database::close();
        QVERIFY(Database::open(t.path()).ok());
        QCOMPARE(t.count("customer"), commit ? 2 : 0);
    }

private:
    // Builds the file (or folder) of one kind of refused start-up at `path`.
    bool prepare(const QString &kind, const QString &dir, const QString &path)
    {
        if (kind == "text")
            return writeFile(path, "hello");
        if (kind == "empty")
            return writeFile(path, {});
        if (kind == "folder")
            return QDir(dir).mkdir("CVN.db");
        if (kind == "missing folder")
            return true;
        if (kind == "orphan journal")
            return writeFile(path + "-journal", QByteArray(512, '\xd9'));
        if (kind == "foreign")
            return makeCorvanaFile(path, "PRAGMA application_id = 0");
        if (kind == "newer")
            return makeCorvanaFile(path, QString("PRAGMA user_version = %1").arg(Schema::Version + 1));
        if (!makeCorvanaFile(path))
            return false;
        if (kind == "damaged") {
            // Pages 2 and 3 (the admin and customer tables' first pages) become garbage.
            QFile f(path);
            const QByteArray header = f.open(QIODevice::ReadWrite) ? f.read(18) : QByteArray(18, 0);
            const int pageSize = (uchar(header[16]) << 8) | uchar(header[17]);
            return pageSize > 0 && f.seek(pageSize) && f.write(QByteArray(2 * pageSize, '\xFF')) == 2 * pageSize;
        }
        if (kind == "locked" || kind == "held")
            return true; // the test holds the lock itself
        if (kind == "unreadable")
            return QFile::setPermissions(path, {});
        if (kind == "read-only")
            return QFile::setPermissions(path, QFile::ReadOwner);
        if (kind == "read-only folder")
            return QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        return false;
    }
};

QTEST_GUILESS_MAIN(tst_Database)
#include "tst_database.moc"
