// The schema as the engine enforces it, and the upgrade of a version 1 file.

#include "TestSupport.h"

#include "data/Backup.h"
#include "data/Schema.h"
#include "data/Transaction.h"

#include <QFile>
#include <QSqlRecord>
#include <QtTest>

namespace {

// The tables exactly as version 1 created them.
const char *const Version1[] = {
    R"(CREATE TABLE admin (
        tax REAL NOT NULL DEFAULT 0,
        shipping REAL NOT NULL DEFAULT 0,
        shippingoot REAL NOT NULL DEFAULT 0,
        invReminderqty INTEGER NOT NULL DEFAULT 0,
        party_profit REAL NOT NULL DEFAULT 0,
        reorder_profit REAL NOT NULL DEFAULT 0))",
    R"(CREATE TABLE customer (
        cust_num INTEGER PRIMARY KEY CHECK (cust_num BETWEEN 0 AND 32767),
        first_name TEXT NOT NULL DEFAULT '',
        last_name TEXT NOT NULL DEFAULT '',
        address TEXT NOT NULL DEFAULT '',
        phone TEXT NOT NULL DEFAULT '',
        email TEXT NOT NULL DEFAULT '',
        birthday TEXT NOT NULL DEFAULT '',
        comments TEXT NOT NULL DEFAULT ''))",
    R"(CREATE TABLE inventory (
        product_num INTEGER PRIMARY KEY CHECK (product_num BETWEEN 0 AND 32767),
        product TEXT NOT NULL DEFAULT '',
        product_refnum TEXT NOT NULL DEFAULT '',
        cost INTEGER NOT NULL DEFAULT 0,
        qty INTEGER NOT NULL DEFAULT 0))",
    R"(CREATE TABLE suppliers (
        supplier_num INTEGER PRIMARY KEY CHECK (supplier_num BETWEEN 0 AND 32767),
        Company TEXT NOT NULL DEFAULT '',
        Contact TEXT NOT NULL DEFAULT '',
        Address TEXT NOT NULL DEFAULT '',
        Phone TEXT NOT NULL DEFAULT '',
        Email TEXT NOT NULL DEFAULT '',
        Comments TEXT NOT NULL DEFAULT ''))",
    R"(CREATE TABLE recipes (
        Recipe_Name TEXT NOT NULL DEFAULT '',
        Recipe_Directions1 TEXT NOT NULL DEFAULT '',
        Recipe_Directions2 TEXT NOT NULL DEFAULT '',
        Recipe_Directions3 TEXT NOT NULL DEFAULT '',
        Recipe_Directions4 TEXT NOT NULL DEFAULT ''))",
    R"(CREATE TABLE orders (
        order_num INTEGER PRIMARY KEY CHECK (order_num BETWEEN 0 AND 32767),
        cust_num INTEGER NOT NULL REFERENCES customer (cust_num),
        order_date TEXT,
        order_status TEXT NOT NULL DEFAULT 'O' CHECK (order_status IN ('O', 'C', 'D')),
        order_type TEXT NOT NULL DEFAULT 'P' CHECK (order_type IN ('P', 'R')),
        subtotal INTEGER NOT NULL DEFAULT 0,
        add_costs INTEGER NOT NULL DEFAULT 0,
        discounts INTEGER NOT NULL DEFAULT 0,
        total_price INTEGER NOT NULL DEFAULT 0,
        out_of_town_order INTEGER NOT NULL DEFAULT 0 CHECK (out_of_town_order IN (0, 1)),
        close_date TEXT,
        comments TEXT NOT NULL DEFAULT '',
        UNIQUE (order_num, cust_num)))",
    R"(CREATE TABLE order_detail (
        order_num INTEGER NOT NULL,
        cust_num INTEGER NOT NULL,
        product_num INTEGER NOT NULL REFERENCES inventory (product_num),
        order_qty INTEGER NOT NULL CHECK (order_qty >= 1),
        FOREIGN KEY (order_num, cust_num) REFERENCES orders (order_num, cust_num)))",
    "CREATE INDEX order_detail_order ON order_detail (order_num, cust_num)",
    R"(CREATE TABLE expenses (
        expense_num INTEGER PRIMARY KEY CHECK (expense_num BETWEEN 0 AND 32767),
        expense_desc TEXT NOT NULL DEFAULT '',
        expense_amt INTEGER NOT NULL DEFAULT 0,
        expense_date TEXT))",
    "PRAGMA user_version = 1",
};

// A version 1 file's tables, with rows of every kind (line row ids out of key order).
const char *const Version1Rows[] = {
    "INSERT INTO admin VALUES (7.25, 8.5, 12, 5, 0, 0)",
    "INSERT INTO customer (cust_num, first_name, last_name, phone) VALUES (0, 'Ann', 'O''Brien', '555-0100'), "
    "(2, 'Bob', 'Smith', '555-0102')",
    "INSERT INTO inventory VALUES (1, 'Soap', 'A1', 125000, 10), (2, 'Mug', '', 0, -3)",
    "INSERT INTO suppliers (supplier_num, Company) VALUES (1, 'Acme')",
    "INSERT INTO recipes (Recipe_Name, Recipe_Directions1) VALUES ('Cake', 'Mix.')",
    "INSERT INTO orders VALUES (0, 0, '2024-02-29', 'C', 'R', 250000, 10000, 5000, 255000, 1, '2024-03-01', 'paid'), "
    "(1, 2, '2023-12-31', 'O', 'P', 0, 0, 0, 0, 0, NULL, '')",
    "INSERT INTO order_detail (rowid, order_num, cust_num, product_num, order_qty) VALUES "
    "(7, 1, 2, 2, 3), (3, 0, 0, 1, 2), (5, 0, 0, 2, 1)",
    "INSERT INTO expenses VALUES (1, 'Paper', 45000, '2024-01-15'), (2, 'Ink', 0, NULL)",
};

// Writes a version 1 file at `path` with the rows above, then `change`.
bool makeVersion1(const QString &path, const QString &change)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "version1");
        db.setDatabaseName(path);
        ok = db.open();
        QStringList statements;
        for (const char *sql : Version1)
            statements << sql;
        statements << QString("PRAGMA application_id = %1").arg(Schema::ApplicationId);
        for (const char *sql : Version1Rows)
            statements << sql;
        statements << change;
        for (const QString &sql : statements) {
            if (ok && !sql.isEmpty() && !execBound(db, sql).ok()) {
                qWarning("%s failed", qPrintable(sql));
                ok = false;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("version1");
    return ok;
}

QByteArray bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every row of every table with its row id, each value with its storage class.
QStringList contents(QSqlDatabase db)
{
    QStringList rows;
    for (const char *table : {"admin", "customer", "inventory", "suppliers", "recipes", "orders", "order_detail",
                              "expenses"}) {
        QSqlQuery q(db);
        if (!q.exec(QString("SELECT rowid, * FROM %1 ORDER BY rowid").arg(table)))
            return {q.lastError().text()};
        while (q.next()) {
            QStringList values{table};
            for (int i = 0; i < q.record().count(); ++i) {
                const QVariant v = q.value(i);
                values << (v.isNull() ? QString("NULL") : QString("%1 %2").arg(v.typeName(), v.toString()));
            }
            rows << values.join(" | ");
        }
    }
    return rows;
}

QStringList schema(QSqlDatabase db)
{
    QStringList statements;
    QSqlQuery q(db);
    q.exec("SELECT type || ' ' || name || ': ' || sql FROM sqlite_master ORDER BY name");
    while (q.next())
        statements << q.value(0).toString();
    return statements;
}

// The values each kind of column must refuse, and one it must take. The reminder
// quantity is a setting read through the 16-bit conversion, not a count of goods.
QStringList wronglyTreated(QSqlDatabase db)
{
    struct Probe
    {
        QVariant value;
        bool accepted;
    };
    const QHash<Schema::Kind, QList<Probe>> probes = {
        {Schema::Kind::Integer, {{2.5, false}, {"3.5", false}, {"two", false}}},
        {Schema::Kind::Money, {{2.5, false}, {"12.50", false}, {qint64(12345678900), true}}},
        {Schema::Kind::Date,
         {{"02/29/2024", false}, {"2023-02-29", false}, {"2024-04-31", false}, {"2024-13-01", false},
          {"2024-1-5", false}, {"2024-01-05 10:00", false}, {"", false}, {20240105, false},
          {"2024-02-29", true}, {QVariant(), true}}},
        {Schema::Kind::Bool, {{2, false}, {0.5, false}, {1, true}}},
    };
    QStringList wrong;
    QSqlQuery columns(db);
    columns.exec("SELECT m.name, c.name FROM sqlite_master m, pragma_table_info(m.name) c "
                 "WHERE m.type = 'table' ORDER BY m.name, c.cid");
    while (columns.next()) {
        const QString table = columns.value(0).toString();
        const QString column = columns.value(1).toString();
        if (table == "admin" && column == "invReminderqty")
            continue;
        for (const Probe &p : probes.value(Schema::columnKind(table, column))) {
            // Each probe is undone: every column is tried against the same rows.
            Transaction tx(db);
            if (!tx.begin().ok())
                return {"no transaction"};
            const bool taken =
                execBound(db, QString("UPDATE %1 SET %2 = ?").arg(table, column), {p.value}).ok();
            if (taken != p.accepted)
                wrong << QString("%1.%2 %3 %4").arg(table, column, taken ? "took" : "refused", p.value.toString());
        }
    }
    return wrong;
}

} // namespace

class tst_Schema : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Database::close(); }

    // Every date, whole-number, money and yes/no column of a new file refuses
    // what the program never writes; the column kinds name every such column.
    void newFileRefusesWrongValues()
    {
        TestDatabase t;
        QCOMPARE(t.scalar("PRAGMA user_version").toInt(), 2);
        for (const QString &sql : {"INSERT INTO customer (cust_num) VALUES (1)",
                                   "INSERT INTO inventory (product_num) VALUES (1)",
                                   "INSERT INTO orders (order_num, cust_num, order_date) VALUES (1, 1, '2024-01-05')",
                                   "INSERT INTO order_detail VALUES (1, 1, 1, 1)",
                                   "INSERT INTO expenses (expense_num, expense_date) VALUES (1, '2024-01-05')",
                                   "INSERT INTO suppliers (supplier_num) VALUES (1)",
                                   "INSERT INTO recipes (Recipe_Name) VALUES ('Cake')"})
            QVERIFY(t.exec(sql));
        const QStringList wrong = wronglyTreated(t.db());
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("\n")));
    }

    // The upgrade keeps every value and row id as it was, leaves a copy of the
    // old file, and ends with the tables a new file has.
    void upgradeFromVersion1()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("CVN.db");
        QVERIFY(makeVersion1(path, {}));
        const QByteArray before = bytes(path);
        QStringList stored;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "read");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            stored = contents(db);
        }
        QSqlDatabase::removeDatabase("read");
        QCOMPARE(stored.size(), 14);

        const Status s = Database::open(path);
        QVERIFY2(s.ok(), qPrintable(s.message()));
        QStringList upgraded;
        {
            QSqlDatabase db = Database::connection();
            QCOMPARE(contents(db), stored);
            QSqlQuery q(db);
            QVERIFY(q.exec("SELECT (SELECT user_version FROM pragma_user_version), "
                           "(SELECT count(*) FROM pragma_foreign_key_check), "
                           "(SELECT integrity_check FROM pragma_integrity_check)") && q.next());
            QCOMPARE(q.value(0).toInt(), 2);
            QCOMPARE(q.value(1).toInt(), 0);
            QCOMPARE(q.value(2).toString(), QString("ok"));
            QCOMPARE(bytes(path + ".v1.bak"), before);
            // A checked backup of the version 1 data in the backups folder too.
            const QList<Backup::Entry> backups = Backup::list(path);
            QCOMPARE(backups.size(), 1);
            Backup::Contents held;
            QVERIFY(Backup::inspect(backups.first().path, &held));
            QCOMPARE(held.customers, q.exec("SELECT count(*) FROM customer") && q.next() ? q.value(0).toInt() : -1);
            upgraded = schema(db);
            const QStringList wrong = wronglyTreated(db);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("\n")));
        }
        Database::close();

        TestDatabase fresh;
        QCOMPARE(upgraded, schema(fresh.db()));
    }

    void failedUpgrade_data()
    {
        QTest::addColumn<QString>("change"); // made to the version 1 file
        QTest::addColumn<QString>("cause");  // a pattern of the message
        QTest::newRow("fractional quantity")
            << "UPDATE inventory SET qty = 2.5 WHERE product_num = 2" << "table inventory.*qty is a whole number";
        QTest::newRow("fraction of a money unit")
            << "UPDATE expenses SET expense_amt = 12.5" << "table expenses.*expense_amt is a whole number";
        QTest::newRow("order date as typed")
            << "UPDATE orders SET order_date = '02/01/2023'" << "table orders.*order_date is a day";
        QTest::newRow("close date not a day")
            << "UPDATE orders SET close_date = '2023-02-30'" << "table orders.*close_date is a day";
        QTest::newRow("order line of a missing product")
            << "INSERT INTO order_detail VALUES (1, 2, 9, 1)" << "table order_detail.*FOREIGN KEY";
    }

    // An upgrade that cannot keep every value leaves the file as it was.
    void failedUpgrade()
    {
        QFETCH(QString, change);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        const QString path = dir.filePath("CVN.db");
        QVERIFY(makeVersion1(path, change));
        const QByteArray before = bytes(path);
        const Status s = Database::open(path);
        QVERIFY(!s.ok());
        QVERIFY2(QRegularExpression(cause).match(s.message()).hasMatch(), qPrintable(s.message()));
        Database::close();
        QCOMPARE(bytes(path), before);
    }
};

QTEST_GUILESS_MAIN(tst_Schema)
#include "tst_schema.moc"
