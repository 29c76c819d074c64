#include "TestSupport.h"

#include "data/Schema.h"
#include "data/Transaction.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>
#include <cstdio>
#include <unistd.h>

namespace {

const char *const HoldLockVariable = "CORVANA_TEST_HOLD_LOCK";

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

// Runs statements on a file through a connection of its own (not the program's).
bool runOnFile(const QString &path, const QStringList &statements)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        db.setDatabaseName(path);
        ok = db.open();
        for (const QString &sql : statements)
            ok = ok && QSqlQuery(db).exec(sql);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    return ok;
}

// A Corvana file of the given schema version, with enough customers to fill several pages.
bool makeCorvanaFile(const QString &path, int version = Schema::Version)
{
    const QString customers = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                              "INSERT INTO customer (cust_num, last_name, comments) "
                              "SELECT i, 'Name ' || i, hex(zeroblob(100)) FROM n";
    const bool ok = Database::open(path).ok() && execBound(Database::connection(), customers).ok()
        && execBound(Database::connection(), QString("PRAGMA user_version = %1").arg(version)).ok();
    Database::close();
    return ok;
}

// Holds the lock beside a file from this same test program, started as a child.
void holdLockForever(const QString &lockPath)
{
    QLockFile lock(lockPath);
    const bool locked = lock.tryLock(0);
    std::fputs(locked ? "locked\n" : "failed\n", stdout);
    std::fflush(stdout);
    if (locked)
        QThread::sleep(120);
    ::_exit(locked ? 0 : 3);
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
public:
    tst_Database()
    {
        const QByteArray lockPath = qgetenv(HoldLockVariable);
        if (!lockPath.isEmpty())
            holdLockForever(QString::fromLocal8Bit(lockPath));
    }

private slots:
    void cleanup()
    {
        Database::close();
        if (m_holder) {
            m_holder->kill();
            m_holder->waitForFinished(5000);
            m_holder.reset();
        }
    }

    void newFileHasAdminRowAndMarks()
    {
        TestDatabase t;
        QCOMPARE(t.count("admin"), 1);
        QCOMPARE(t.scalar("SELECT count(*) FROM admin WHERE tax = 0 AND shipping = 0 AND shippingoot = 0 "
                          "AND invReminderqty = 0 AND party_profit = 0 AND reorder_profit = 0").toInt(), 1);
        QCOMPARE(t.scalar("PRAGMA application_id").toInt(), Schema::ApplicationId);
        QCOMPARE(t.scalar("PRAGMA user_version").toInt(), Schema::Version);
    }

    void constraintsRefuse_data()
    {
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("table");
        const QStringList withOrder = {"INSERT INTO customer (cust_num) VALUES (1)",
                                       "INSERT INTO orders (order_num, cust_num) VALUES (5, 1)"};
        QTest::newRow("order for a missing customer")
            << QStringList() << "INSERT INTO orders (order_num, cust_num) VALUES (0, 7)" << "orders";
        QTest::newRow("detail for a missing product")
            << withOrder << "INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (5, 1, 9, 1)"
            << "order_detail";
        QTest::newRow("deleting a customer with orders")
            << withOrder << "DELETE FROM customer WHERE cust_num = 1" << "customer";
        QTest::newRow("two orders with one key")
            << withOrder << "INSERT INTO orders (order_num, cust_num) VALUES (5, 1)" << "orders";
        QTest::newRow("two expenses with one key") << QStringList({"INSERT INTO expenses (expense_num) VALUES (1)"})
                                                   << "INSERT INTO expenses (expense_num) VALUES (1)" << "expenses";
    }

    void constraintsRefuse()
    {
        QFETCH(QStringList, setup);
        QFETCH(QString, refused);
        QFETCH(QString, table);
        TestDatabase t;
        for (const QString &sql : setup)
            QVERIFY2(t.exec(sql), qPrintable(sql));
        const int before = t.count(table);
        QVERIFY(!execBound(t.db(), refused).ok());
        QCOMPARE(t.count(table), before);
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
        const QString path = prepare(kind, dir);
        QVERIFY2(!path.isEmpty(), "the file could not be prepared");
        const QMap<QString, QByteArray> before = snapshot(root.path());

        const Status s = Database::open(path);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY2(!s.ok(), "the file was accepted");
        const QRegularExpression pattern(cause, QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(pattern.match(s.message()).hasMatch(), qPrintable(s.message()));
        QVERIFY(!Database::connection().isOpen());
        const QMap<QString, QByteArray> after = snapshot(root.path());
        QCOMPARE(after.keys(), before.keys());
        for (const QString &name : before.keys())
            QVERIFY2(after[name] == before[name], qPrintable(name + " changed: " + s.message()));
    }

    void staleLockTakenOver()
    {
        QTemporaryDir root;
        const QString path = root.filePath("CVN.db");
        QVERIFY(makeCorvanaFile(path));
        QVERIFY(startLockHolder(path + ".lock"));
        QVERIFY(!Database::open(path).ok());

        // The holder dies without releasing its lock file.
        m_holder->kill();
        QVERIFY(m_holder->waitForFinished(5000));
        QVERIFY(QFile::exists(path + ".lock"));

        const Status s = Database::open(path);
        QVERIFY2(s.ok(), qPrintable(s.message()));
        QCOMPARE(QSqlQuery(Database::connection()).exec("SELECT 1 FROM customer WHERE cust_num = 200"), true);
        Database::close();
        QVERIFY(!QFile::exists(path + ".lock"));
    }

    void migrate_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("ok");
        QTest::newRow("two steps, listed out of order")
            << Steps{addColumn(2, "fax"), addColumn(1, "nickname")} << 3 << true;
        QTest::newRow("second step fails") << Steps{addColumn(1, "nickname"), failing(2)} << 3 << false;
        QTest::newRow("a step missing") << Steps{addColumn(1, "nickname")} << 3 << false;
    }

    // All steps or none: a failure leaves the file at its version, without the columns.
    void migrate()
    {
        QFETCH(Steps, steps);
        QFETCH(int, target);
        QFETCH(bool, ok);
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (1, 'Smith')"));

        const Status s = Schema::migrate(t.db(), 1, target, steps);
        QCOMPARE(s.ok(), ok);
        QCOMPARE(t.scalar("PRAGMA user_version").toInt(), ok ? target : 1);
        const QVariant added = t.scalar("SELECT count(*) FROM pragma_table_info('customer') "
                                        "WHERE name IN ('nickname', 'fax')");
        QCOMPARE(added.toInt(), ok ? 2 : 0);
        QCOMPARE(t.count("customer"), 1);
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
    // Builds the file (or folder) of one kind of refused start-up; returns the path to open.
    QString prepare(const QString &kind, const QString &dir)
    {
        const QString path = QDir(dir).filePath("CVN.db");
        if (kind == "text")
            return writeFile(path, "hello") ? path : QString();
        if (kind == "empty")
            return writeFile(path, {}) ? path : QString();
        if (kind == "foreign")
            return runOnFile(path, {"CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)",
                                    "INSERT INTO notes (body) VALUES ('kept')"})
                ? path : QString();
        if (kind == "newer")
            return makeCorvanaFile(path, Schema::Version + 1) ? path : QString();
        if (kind == "damaged") {
            if (!makeCorvanaFile(path))
                return {};
            QFile f(path);
            if (!f.open(QIODevice::ReadWrite))
                return {};
            const QByteArray header = f.read(100);
            const int pageSize = (uchar(header[16]) << 8) | uchar(header[17]);
            // Pages 2 and 3 (the admin and customer tables' first pages) become garbage.
            if (f.size() < 4 * pageSize || !f.seek(pageSize) || f.write(QByteArray(2 * pageSize, '\xFF')) != 2 * pageSize)
                return {};
            return path;
        }
        if (kind == "folder")
            return QDir(dir).mkdir("CVN.db") ? path : QString();
        if (kind == "missing folder")
            return QDir(dir).filePath("nosuch/CVN.db");
        if (kind == "locked")
            return makeCorvanaFile(path) && startLockHolder(path + ".lock") ? path : QString();
        if (kind == "unreadable")
            return makeCorvanaFile(path) && QFile::setPermissions(path, {}) ? path : QString();
        if (kind == "read-only")
            return makeCorvanaFile(path) && QFile::setPermissions(path, QFile::ReadOwner) ? path : QString();
        if (kind == "read-only folder")
            return makeCorvanaFile(path) && QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner) ? path : QString();
        return {};
    }

    bool startLockHolder(const QString &lockPath)
    {
        m_holder = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(HoldLockVariable), lockPath);
        m_holder->setProcessEnvironment(env);
        m_holder->start(QCoreApplication::applicationFilePath(), {});
        if (!m_holder->waitForStarted(5000))
            return false;
        while (!m_holder->canReadLine() && m_holder->waitForReadyRead(10000)) {
        }
        return m_holder->readLine().trimmed() == "locked";
    }

    std::unique_ptr<QProcess> m_holder;
};

QTEST_GUILESS_MAIN(tst_Database)
#include "tst_database.moc"
