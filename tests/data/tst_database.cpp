#include "TestSupport.h"

#include "data/Schema.h"
#include "data/Transaction.h"

#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

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
    void cleanup() { Database::close(); }

    // The settings are read from it; the file's marks are checked by every reopening below.
    void newFileHasOneAdminRow()
    {
        TestDatabase t;
        QCOMPARE(t.count("admin"), 1);
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
        if (needsPermissions && ::geteuid() == 0)
            QSKIP("permission bits do not restrict root");
        QTemporaryDir root;
        const QString dir = root.filePath("data");
        QVERIFY(QDir().mkdir(dir));
        const QString path = QDir(dir).filePath(kind == "missing folder" ? "nosuch/CVN.db" : "CVN.db");
        QVERIFY2(prepare(kind, dir, path), "the file could not be prepared");
        QLockFile held(path + ".lock"); // another running copy's; this process's own counts as one
        if (kind == "locked")
            QVERIFY(held.tryLock(0));
        const QMap<QString, QByteArray> before = snapshot(root.path());

        const Status s = Database::open(path);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY2(!s.ok(), "the file was accepted");
        const QRegularExpression pattern(cause, QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(pattern.match(s.message()).hasMatch(), qPrintable(s.message()));
        QVERIFY(!Database::connection().isOpen());
        QVERIFY2(snapshot(root.path()) == before, "the folder changed");
    }

    void staleLockTakenOver()
    {
        QTemporaryDir root;
        const QString path = root.filePath("CVN.db");
        QVERIFY(makeCorvanaFile(path));
        QVERIFY(leaveStaleLock(path + ".lock"));
        QVERIFY(QFile::exists(path + ".lock"));
        const Status s = Database::open(path);
        QVERIFY2(s.ok(), qPrintable(s.message()));
        Database::close();
        QVERIFY(!QFile::exists(path + ".lock"));
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
        if (kind == "locked")
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
