#include "TestSupport.h"

#include "data/Schema.h"
#include "data/Transaction.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QtTest>
#include <cstdio>
#include <map>
#include <unistd.h>

namespace {

const char *const HoldLockVariable = "CORVANA_TEST_HOLD_LOCK";

// Everything on disk under a folder: a changed byte, size or time of a file, or a new
// or missing entry shows. A folder's own time is left out: the lock file beside the
// database comes and goes.
struct Entry
{
    bool isDir = false;
    qint64 size = 0;
    QDateTime modified;
    QByteArray bytes;
    bool operator==(const Entry &) const = default;
};
using Tree = std::map<QString, Entry>;

Tree snapshot(const QString &root)
{
    Tree tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        Entry e;
        e.isDir = info.isDir();
        e.size = e.isDir ? 0 : info.size();
        if (!e.isDir)
            e.modified = info.lastModified();
        if (!e.isDir) {
            QFile f(info.filePath());
            if (f.open(QIODevice::ReadOnly))
                e.bytes = f.readAll();
        }
        tree[QDir(root).relativeFilePath(info.filePath())] = e;
    }
    return tree;
}

QString describe(const Tree &before, const Tree &after)
{
    for (const auto &[name, e] : after) {
        auto it = before.find(name);
        if (it == before.end())
            return name + " appeared";
        if (!(it->second == e))
            return name + " changed";
    }
    for (const auto &[name, e] : before)
        if (!after.count(name))
            return name + " disappeared";
    return {};
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Runs statements on a file through a connection of its own (not the program's).
bool runOnFile(const QString &path, const QStringList &statements)
{
    const QString name = QStringLiteral("foreign");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ok = db.open();
        for (const QString &sql : statements) {
            QSqlQuery q(db);
            if (ok && !q.exec(sql)) {
                qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
                ok = false;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

// A Corvana file with enough customers to fill several pages.
bool makeCorvanaFile(const QString &path)
{
    if (!Database::open(path))
        return false;
    bool ok = true;
    {
        Transaction tx(Database::connection());
        ok = tx.begin().ok();
        for (int n = 1; n <= 200 && ok; ++n) {
            ok = execBound(Database::connection(),
                           QStringLiteral("INSERT INTO customer (cust_num, last_name, comments) VALUES (?, ?, ?)"),
                           {n, QStringLiteral("Name %1").arg(n), QString(200, QLatin1Char('x'))})
                     .ok();
        }
        ok = ok && tx.commit().ok();
    }
    Database::close();
    return ok;
}

// Holds the lock beside a file from this same test program, started as a child.
void holdLockForever(const QString &lockPath)
{
    QLockFile lock(lockPath);
    if (!lock.tryLock(0)) {
        std::fputs("failed\n", stdout);
        std::fflush(stdout);
        ::_exit(3);
    }
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    QThread::sleep(120);
    ::_exit(0);
}

} // namespace

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
    void cleanup();
    void newFileHasSchema();
    void constraintsRefuse_data();
    void constraintsRefuse();
    void reopenKeepsData();
    void refusedFileUnchanged_data();
    void refusedFileUnchanged();
    void causesHaveDistinctMessages();
    void staleLockTakenOver();
    void migrate_data();
    void migrate();
    void transactionGuard_data();
    void transactionGuard();

private:
    QString prepare(const QString &kind, const QString &dir);
    bool startLockHolder(const QString &lockPath);
    std::unique_ptr<QProcess> m_holder;
};

void tst_Database::cleanup()
{
    Database::close();
    if (m_holder) {
        m_holder->kill();
        m_holder->waitForFinished(5000);
        m_holder.reset();
    }
}

bool tst_Database::startLockHolder(const QString &lockPath)
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

void tst_Database::newFileHasSchema()
{
    TestDatabase t;
    QSqlQuery q(t.db());
    VERIFY_SQL(q, q.exec("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    QCOMPARE(tables, QStringList({"admin", "customer", "expenses", "inventory", "order_detail", "orders",
                                  "recipes", "suppliers"}));

    QCOMPARE(t.count("admin"), 1);
    QCOMPARE(t.scalar("SELECT count(*) FROM admin WHERE tax = 0 AND shipping = 0 AND shippingoot = 0 "
                      "AND invReminderqty = 0 AND party_profit = 0 AND reorder_profit = 0").toInt(), 1);
    QCOMPARE(t.scalar("PRAGMA application_id").toInt(), Schema::ApplicationId);
    QCOMPARE(t.scalar("PRAGMA user_version").toInt(), Schema::Version);
    QCOMPARE(t.scalar("PRAGMA foreign_keys").toInt(), 1);
}

void tst_Database::constraintsRefuse_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("table");

    const QString customer1 = "INSERT INTO customer (cust_num, last_name) VALUES (1, 'Smith')";
    QTest::newRow("order for a missing customer") << QStringList() << "INSERT INTO orders (order_num, cust_num) VALUES (0, 7)"
                                                  << "orders";
    QTest::newRow("detail for a missing product")
        << QStringList({customer1, "INSERT INTO orders (order_num, cust_num) VALUES (0, 1)"})
        << "INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (0, 1, 9, 1)"
        << "order_detail";
    QTest::newRow("deleting a customer with orders")
        << QStringList({customer1, "INSERT INTO orders (order_num, cust_num) VALUES (0, 1)"})
        << "DELETE FROM customer WHERE cust_num = 1" << "customer";
    QTest::newRow("two customers with one key") << QStringList({customer1})
                                                << "INSERT INTO customer (cust_num, last_name) VALUES (1, 'Jones')"
                                                << "customer";
    QTest::newRow("two orders with one key")
        << QStringList({customer1, "INSERT INTO orders (order_num, cust_num) VALUES (5, 1)"})
        << "INSERT INTO orders (order_num, cust_num) VALUES (5, 1)" << "orders";
    QTest::newRow("two expenses with one key") << QStringList({"INSERT INTO expenses (expense_num) VALUES (1)"})
                                               << "INSERT INTO expenses (expense_num) VALUES (1)" << "expenses";
}

void tst_Database::constraintsRefuse()
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

void tst_Database::reopenKeepsData()
{
    TestDatabase t;
    QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (3, 'Smith')"));
    QVERIFY(t.exec("UPDATE admin SET tax = 7.25"));
    Database::close();

    const Status s = Database::open(t.path());
    QVERIFY2(s.ok(), qPrintable(s.message()));
    QCOMPARE(t.scalar("SELECT last_name FROM customer WHERE cust_num = 3").toString(), QString("Smith"));
    QCOMPARE(t.count("admin"), 1);
    QCOMPARE(t.scalar("SELECT tax FROM admin").toDouble(), 7.25);
}

// Builds the file (or folder) of one kind of refused start-up; returns the path to open.
QString tst_Database::prepare(const QString &kind, const QString &dir)
{
    const QString path = QDir(dir).filePath("CVN.db");
    if (kind == "text")
        return writeFile(path, "hello") ? path : QString();
    if (kind == "empty")
        return writeFile(path, {}) ? path : QString();
    if (kind == "binary") {
        QByteArray bytes(8192, '\0');
        QRandomGenerator rng(42);
        for (char &c : bytes)
            c = char(rng.bounded(256));
        return writeFile(path, bytes) ? path : QString();
    }
    if (kind == "foreign")
        return runOnFile(path, {"CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)",
                                "INSERT INTO notes (body) VALUES ('kept')"})
            ? path : QString();
    if (kind == "newer")
        return makeCorvanaFile(path) && runOnFile(path, {QString("PRAGMA user_version = %1").arg(Schema::Version + 1)})
            ? path : QString();
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
    if (kind == "folder") {
        QDir(dir).mkdir("CVN.db");
        return path;
    }
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

void tst_Database::refusedFileUnchanged_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("needsPermissions");
    for (const char *kind : {"text", "empty", "binary", "foreign", "newer", "damaged", "folder", "missing folder",
                             "locked"})
        QTest::newRow(kind) << QString(kind) << false;
    for (const char *kind : {"unreadable", "read-only", "read-only folder"})
        QTest::newRow(kind) << QString(kind) << true;
}

void tst_Database::refusedFileUnchanged()
{
    QFETCH(QString, kind);
    QFETCH(bool, needsPermissions);
    if (needsPermissions && ::geteuid() == 0)
        QSKIP("permission bits do not restrict root");

    QTemporaryDir root;
    const QString dir = root.filePath("data");
    QVERIFY(QDir().mkdir(dir));
    const QString path = prepare(kind, dir);
    QVERIFY2(!path.isEmpty(), "the file could not be prepared");
    const Tree before = snapshot(root.path());

    const Status s = Database::open(path);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY2(!s.ok(), "the file was accepted");
    QVERIFY(!s.message().trimmed().isEmpty());
    QVERIFY(Database::path().isEmpty());
    QVERIFY(!Database::connection().isOpen());
    const QString change = describe(before, snapshot(root.path()));
    QVERIFY2(change.isEmpty(), qPrintable(change + ": " + s.message()));
}

void tst_Database::causesHaveDistinctMessages()
{
    // Text and random bytes are the same cause: not a database at all.
    QList<QPair<QString, QString>> kinds = {
        {"text", "not a database"}, {"binary", "not a database"}, {"empty", "empty"},
        {"foreign", "another program"}, {"newer", "newer"}, {"damaged", "damaged"},
        {"folder", "a folder"}, {"missing folder", "no folder"}, {"locked", "in use"}};
    if (::geteuid() != 0)
        kinds += {{"unreadable", "unreadable"}, {"read-only", "read-only"}, {"read-only folder", "read-only folder"}};

    QMap<QString, QString> messageOfCause;
    for (const auto &[kind, cause] : kinds) {
        QTemporaryDir root;
        const QString path = prepare(kind, root.path());
        QVERIFY2(!path.isEmpty(), qPrintable(kind));
        const Status s = Database::open(path);
        QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        cleanup();
        QVERIFY2(!s.ok(), qPrintable(kind));
        for (auto it = messageOfCause.cbegin(); it != messageOfCause.cend(); ++it) {
            if (it.key() != cause)
                QVERIFY2(it.value() != s.message(), qPrintable(kind + " reads like " + it.key() + ": " + s.message()));
        }
        messageOfCause.insert(cause, s.message());
    }
}

void tst_Database::staleLockTakenOver()
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
    QCOMPARE(Database::connection().isOpen(), true);
    QCOMPARE(QSqlQuery(Database::connection()).exec("SELECT 1 FROM customer WHERE cust_num = 200"), true);
    Database::close();
    QVERIFY(!QFile::exists(path + ".lock"));
}

using Steps = std::vector<Schema::MigrationStep>;
Q_DECLARE_METATYPE(Steps)

namespace {

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

bool hasColumn(QSqlDatabase db, const QString &column)
{
    QSqlQuery q(db);
    q.exec("SELECT name FROM pragma_table_info('customer')");
    while (q.next())
        if (q.value(0).toString() == column)
            return true;
    return false;
}

} // namespace

void tst_Database::migrate_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<int>("target");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("version");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("one step") << Steps{addColumn(1, "nickname")} << 2 << true << 2 << QStringList{"nickname"};
    QTest::newRow("two steps") << Steps{addColumn(2, "fax"), addColumn(1, "nickname")} << 3 << true << 3
                               << QStringList{"nickname", "fax"};
    QTest::newRow("second step fails") << Steps{addColumn(1, "nickname"), failing(2)} << 3 << false << 1
                                       << QStringList();
    QTest::newRow("a step missing") << Steps{addColumn(1, "nickname")} << 3 << false << 1 << QStringList();
}

void tst_Database::migrate()
{
    QFETCH(Steps, steps);
    QFETCH(int, target);
    QFETCH(bool, ok);
    QFETCH(int, version);
    QFETCH(QStringList, columns);
    TestDatabase t;
    QVERIFY(t.exec("INSERT INTO customer (cust_num, last_name) VALUES (1, 'Smith')"));

    const Status s = Schema::migrate(t.db(), 1, target, steps);
    QCOMPARE(s.ok(), ok);
    if (!ok)
        QVERIFY(!s.message().isEmpty());
    QCOMPARE(t.scalar("PRAGMA user_version").toInt(), version);
    for (const QString &column : {"nickname", "fax"})
        QCOMPARE(hasColumn(t.db(), column), columns.contains(column));
    QCOMPARE(t.count("customer"), 1);
    // No transaction is left open behind the result.
    Transaction after(t.db());
    QVERIFY(after.begin().ok());
}

void tst_Database::transactionGuard_data()
{
    QTest::addColumn<bool>("commit");
    QTest::addColumn<bool>("failLater");
    QTest::addColumn<int>("kept");

    QTest::newRow("committed") << true << false << 2;
    QTest::newRow("scope left without commit") << false << false << 0;
    QTest::newRow("a statement failed") << false << true << 0;
}

void tst_Database::transactionGuard()
{
    QFETCH(bool, commit);
    QFETCH(bool, failLater);
    QFETCH(int, kept);
    TestDatabase t;
    {
        Transaction tx(t.db());
        QVERIFY(tx.begin().ok());
        QVERIFY(execBound(t.db(), "INSERT INTO customer (cust_num) VALUES (1)").ok());
        QVERIFY(execBound(t.db(), "INSERT INTO customer (cust_num) VALUES (2)").ok());
        if (failLater)
            QVERIFY(!execBound(t.db(), "INSERT INTO customer (cust_num) VALUES (1)").ok());
        if (commit)
            QVERIFY(tx.commit().ok());
    }
    QCOMPARE(t.count("customer"), kept);
    // What was kept is on disk: it survives closing and reopening the file.
    Database::close();
    QVERIFY(Database::open(t.path()).ok());
    QCOMPARE(t.count("customer"), kept);
}

QTEST_GUILESS_MAIN(tst_Database)
#include "tst_database.moc"
