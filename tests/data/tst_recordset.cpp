#include "TestSupport.h"

#include "data/KeyNumbering.h"
#include "data/RecordSet.h"
#include "data/Transaction.h"

#include <QtTest>

namespace {

// Customers in key order 1, 2, 3, 4, 10 (key order is the table's order).
void seedCustomers(const TestDatabase &t)
{
    const QVariantList rows[] = {{1, "Ann", "Smith", "555-0101"}, {2, "Bob", "O'Brien", "3"},
                                 {4, "Cy", "adams", "555-0104"}, {3, "Dee", "Brown", ""},
                                 {10, "Eve", "Zed", "555-0110"}};
    for (const QVariantList &r : rows)
        QVERIFY(t.exec("INSERT INTO customer (cust_num, first_name, last_name, phone) VALUES (?, ?, ?, ?)", r));
}

// Every stored customer as "num:last:phone", to see that nothing else changed.
QStringList dump(const TestDatabase &t)
{
    QSqlQuery q(t.db());
    q.exec("SELECT cust_num, last_name, phone FROM customer ORDER BY cust_num");
    QStringList rows;
    while (q.next())
        rows << QString("%1:%2:%3").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString());
    return rows;
}

QList<qint64> keys(RecordSet &rs)
{
    QList<qint64> k;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        k << rs.integer("cust_num");
    return k;
}

RecordSet openTable(const TestDatabase &t, const QString &orderBy = {})
{
    RecordSet rs = RecordSet::table(t.db(), "customer", orderBy);
    const Status s = rs.refresh();
    if (!s)
        qWarning("%s", qPrintable(s.message()));
    return rs;
}

// One INSERT per number, e.g. for "INSERT INTO customer (cust_num) VALUES (%1)".
QStringList inserts(const QString &sql, int from, int to)
{
    QStringList statements;
    for (int n = from; n <= to; ++n)
        statements << sql.arg(n);
    return statements;
}

} // namespace

class tst_RecordSet : public QObject
{
    Q_OBJECT
private slots:
    void navigation_data()
    {
        QTest::addColumn<bool>("seeded");
        QTest::addColumn<QString>("moves"); // F first, L last, N next, P previous
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("bof");
        QTest::addColumn<bool>("eof");
        QTest::newRow("empty") << false << "" << 0 << true << true;
        QTest::newRow("empty, moved") << false << "LNP" << 0 << true << true;
        QTest::newRow("opened") << true << "" << 1 << false << false;
        QTest::newRow("past the last") << true << "LN" << 0 << false << true;
        QTest::newRow("back from beyond EOF") << true << "LNNP" << 5 << false << false;
        QTest::newRow("before the first") << true << "P" << 0 << true << false;
        QTest::newRow("forward from beyond BOF") << true << "PPN" << 1 << false << false;
    }

    void navigation()
    {
        QFETCH(bool, seeded);
        QFETCH(QString, moves);
        QFETCH(int, position);
        QFETCH(bool, bof);
        QFETCH(bool, eof);
        TestDatabase t;
        if (seeded)
            seedCustomers(t);
        for (RecordSet rs : {RecordSet::table(t.db(), "customer"),
                             RecordSet::query(t.db(), "SELECT * FROM customer ORDER BY cust_num")}) {
            QVERIFY(rs.refresh().ok());
            QCOMPARE(rs.recordCount(), seeded ? 5 : 0);
            for (QChar m : moves) {
                switch (m.toLatin1()) {
                case 'F': rs.moveFirst(); break;
                case 'L': rs.moveLast(); break;
                case 'N': rs.moveNext(); break;
                case 'P': rs.movePrevious(); break;
                }
            }
            QCOMPARE(rs.absolutePosition(), position);
            QCOMPARE(rs.bof(), bof);
            QCOMPARE(rs.eof(), eof);
            const qint64 expectedKey = position ? QList<qint64>{1, 2, 3, 4, 10}[position - 1] : 0;
            QCOMPARE(rs.integer("cust_num"), expectedKey);
        }
    }

    void find_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<qint64>("found"); // 0: nothing found, the set is at EOF
        QTest::newRow("text without regard to case") << 1 << "last_name" << QVariant("o'brien") << qint64(2);
        QTest::newRow("current row included") << 2 << "last_name" << QVariant("O'Brien") << qint64(2);
        QTest::newRow("rows before current skipped") << 3 << "last_name" << QVariant("O'Brien") << qint64(0);
        QTest::newRow("text finds a number") << 1 << "cust_num" << QVariant("3") << qint64(3);
        QTest::newRow("number finds text") << 1 << "phone" << QVariant(3) << qint64(2);
        QTest::newRow("empty text") << 1 << "phone" << QVariant("") << qint64(3);
        QTest::newRow("nothing matches") << 1 << "last_name" << QVariant("Nobody") << qint64(0);
        QTest::newRow("number against words") << 1 << "last_name" << QVariant(0) << qint64(0);
        QTest::newRow("unknown column") << 1 << "nosuch" << QVariant("Smith") << qint64(0);
    }

    void find()
    {
        QFETCH(int, start);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(qint64, found);
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        rs.setAbsolutePosition(start);
        QCOMPARE(rs.find(column, value), found != 0);
        QCOMPARE(rs.integer("cust_num"), found);
        QCOMPARE(rs.eof(), found == 0);
    }

    void sort_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QList<qint64>>("order");
        QTest::newRow("text without regard to case") << "last_name" << QList<qint64>{4, 3, 2, 1, 10};
        QTest::newRow("numbers as numbers") << "cust_num" << QList<qint64>{1, 2, 3, 4, 10};
        QTest::newRow("ties keep their order") << "comments" << QList<qint64>{10, 1, 2, 3, 4};
    }

    void sort()
    {
        QFETCH(QString, column);
        QFETCH(QList<qint64>, order);
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t, "first_name = 'Eve' DESC");
        rs.moveLast();
        const RecordSet::Bookmark four = rs.bookmark();
        rs.sort(column);
        QCOMPARE(rs.absolutePosition(), 1);
        QCOMPARE(keys(rs), order);
        QVERIFY(rs.setBookmark(four));
        QCOMPARE(rs.integer("cust_num"), 4);
        QVERIFY(!rs.setBookmark(123456));
        QCOMPARE(rs.integer("cust_num"), 4);
    }

    void addNewStaysLastUntilRead()
    {
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t, "last_name COLLATE NOCASE");
        RecordSet other = openTable(t);
        const RecordSet::Bookmark adams = rs.bookmark();
        rs.addNew();
        rs.setValue("cust_num", "5"); // stored with the column's own type
        rs.setValue("last_name", "Aaron");
        QVERIFY(rs.update().ok());
        QVERIFY(!rs.editing());
        QCOMPARE(t.scalar("SELECT last_name FROM customer WHERE cust_num = 5").toString(), QString("Aaron"));
        QCOMPARE(rs.absolutePosition(), 6);
        QCOMPARE(rs.value("cust_num"), QVariant(qint64(5)));
        QCOMPARE(rs.text("phone"), QString()); // the table's default, read back
        const RecordSet::Bookmark added = rs.bookmark();
        QVERIFY(rs.setBookmark(adams));
        QVERIFY(rs.setBookmark(added));
        rs.setAbsolutePosition(99); // out of range: stays
        QCOMPARE(rs.integer("cust_num"), 5);
        QCOMPARE(keys(rs), (QList<qint64>{4, 3, 2, 1, 10, 5}));
        QCOMPARE(other.recordCount(), 5); // a snapshot until read again
        QVERIFY(rs.refresh().ok());
        QCOMPARE(keys(rs), (QList<qint64>{5, 4, 3, 2, 1, 10}));
        QVERIFY(other.refresh().ok());
        QCOMPARE(other.recordCount(), 6);
    }

    void update_data()
    {
        QTest::addColumn<QString>("elsewhere"); // run by someone else once the set is read
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored"); // the row "num:last:phone" afterwards; empty: refused
        const QString gone = "DELETE FROM customer WHERE cust_num = 2";
        QTest::newRow("quotes and SQL kept as typed") << "" << false << "last_name"
                                                      << QVariant("x'); DELETE FROM customer; --")
                                                      << "2:x'); DELETE FROM customer; --:3";
        QTest::newRow("the key itself") << "" << false << "cust_num" << QVariant(20) << "20:O'Brien:3";
        QTest::newRow("new row with a used key") << "" << true << "cust_num" << QVariant(1) << "";
        QTest::newRow("key changed to a used one") << "" << false << "cust_num" << QVariant(1) << "";
        QTest::newRow("row deleted by someone else") << gone << false << "phone" << QVariant("1") << "";
    }

    // Changes the second row (or adds one there); a refused write leaves the
    // table and the set as they were.
    void update()
    {
        QFETCH(QString, elsewhere);
        QFETCH(bool, adding);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(QString, stored);
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        if (!elsewhere.isEmpty())
            QVERIFY(t.exec(elsewhere));
        QStringList expected = dump(t);
        rs.setAbsolutePosition(2);
        const RecordSet::Bookmark mark = rs.bookmark();
        if (adding)
            rs.addNew();
        rs.setValue(column, value);
        const Status s = rs.update();
        QCOMPARE(s.ok(), !stored.isEmpty());
        if (stored.isEmpty()) {
            rs.cancelUpdate();
            QCOMPARE(rs.integer("cust_num"), 2);
        } else {
            expected[1] = stored;
            QCOMPARE(rs.text(column), value.toString());
        }
        QStringList now = dump(t);
        expected.sort();
        now.sort();
        QCOMPARE(now, expected);
        QVERIFY(!rs.editing());
        QCOMPARE(rs.recordCount(), 5);
        QCOMPARE(rs.bookmark(), mark);
    }

    void deleteCurrent()
    {
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        rs.setAbsolutePosition(2);
        QVERIFY(rs.deleteCurrent().ok());
        QCOMPARE(rs.integer("cust_num"), 3); // the row after it
        rs.moveLast();
        QVERIFY(rs.deleteCurrent().ok());
        QVERIFY(rs.eof());
        QVERIFY(!rs.deleteCurrent().ok()); // nothing current at EOF
        QCOMPARE(keys(rs), (QList<qint64>{1, 3, 4}));
        QCOMPARE(dump(t), QStringList({"1:Smith:555-0101", "3:Brown:", "4:adams:555-0104"}));
    }

    // Beyond 32 bits: neither truncated nor stored as dollars.
    void moneyRoundTrip()
    {
        const qint64 units = 12345678900;
        TestDatabase t;
        RecordSet rs = RecordSet::table(t.db(), "inventory");
        QVERIFY(rs.refresh().ok());
        rs.addNew();
        rs.setValue("product_num", 1);
        rs.setMoney("cost", Money::fromUnits(units));
        QVERIFY(rs.update().ok());
        QCOMPARE(t.scalar("SELECT cost FROM inventory WHERE product_num = 1").toLongLong(), units);
        QCOMPARE(rs.money("cost").units(), units);
        QVERIFY(rs.refresh().ok());
        QCOMPARE(rs.money("cost").units(), units);
    }

    void readOnlyQuery()
    {
        TestDatabase t;
        seedCustomers(t);
        const QStringList stored = dump(t);
        const QString sql = "SELECT cust_num, last_name FROM customer WHERE last_name = ?";
        RecordSet rs = RecordSet::query(t.db(), sql, {"' OR 1=1 --"});
        QVERIFY(rs.refresh().ok());
        QCOMPARE(rs.recordCount(), 0);
        rs = RecordSet::query(t.db(), sql, {"O'Brien"});
        QVERIFY(rs.refresh().ok());
        QCOMPARE(rs.columns(), QStringList({"cust_num", "last_name"}));
        rs.setValue("last_name", "Changed");
        QVERIFY(!rs.update().ok());
        rs.cancelUpdate();
        QVERIFY(!rs.deleteCurrent().ok());
        QCOMPARE(dump(t), stored);
    }

    void nextKey_data()
    {
        QTest::addColumn<Keys::Kind>("kind");
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<int>("expected"); // -1: none left
        const QString customer = "INSERT INTO customer (cust_num) VALUES (%1)";
        const QString order = "INSERT INTO orders (order_num, cust_num) VALUES (%1, 1)";
        const QString expense = "INSERT INTO expenses (expense_num) VALUES (%1)";
        using K = Keys::Kind;
        QTest::newRow("no customers") << K::Customer << QStringList() << 0;
        QTest::newRow("customers 1 2 4") << K::Customer << QStringList{customer.arg(1), customer.arg(2), customer.arg(4)}
                                         << 3;
        QTest::newRow("customer 0 only") << K::Customer << QStringList{customer.arg(0)} << 1;
        QTest::newRow("last free customer") << K::Customer << inserts(customer, 1, 297) << 298;
        QTest::newRow("customers used up") << K::Customer << inserts(customer, 1, 298) << -1;
        QTest::newRow("suppliers used up")
            << K::Supplier << inserts("INSERT INTO suppliers (supplier_num) VALUES (%1)", 1, 98) << -1;
        QTest::newRow("no orders") << K::Order << QStringList{customer.arg(1)} << 0;
        QTest::newRow("after order 0") << K::Order << QStringList{customer.arg(1), order.arg(0)} << 1;
        QTest::newRow("the highest order") << K::Order << QStringList{customer.arg(1), order.arg(32766)} << 32767;
        QTest::newRow("orders used up") << K::Order << QStringList{customer.arg(1), order.arg(32767)} << -1;
        QTest::newRow("no expenses") << K::Expense << QStringList() << 1;
        QTest::newRow("expenses used up") << K::Expense << QStringList{expense.arg(32767)} << -1;
    }

    void nextKey()
    {
        QFETCH(Keys::Kind, kind);
        QFETCH(QStringList, setup);
        QFETCH(int, expected);
        TestDatabase t;
        QVERIFY(t.exec("BEGIN"));
        for (const QString &sql : setup)
            QVERIFY(t.exec(sql));
        QVERIFY(t.exec("COMMIT"));
        const Keys::NewKey key = Keys::next(t.db(), kind);
        QVERIFY2(key.status.ok(), qPrintable(key.status.message()));
        QCOMPARE(key.number.value_or(-1), expected);
        if (expected < 0)
            QVERIFY(!key.limitMessage.isEmpty());
        // Reading a table that is not there is a failure, not a number.
        QVERIFY(t.exec("PRAGMA foreign_keys = OFF"));
        QVERIFY(t.exec(QString("DROP TABLE %1").arg(Keys::rule(kind).table)));
        QVERIFY(!Keys::next(t.db(), kind).status.ok());
    }

    void saveAdminValues()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO admin (tax) VALUES (99)")); // a second row is never touched
        QVERIFY(::saveAdminValues(t.db(), AdminValues{7.25, 8.5, 12, 5}).ok());
        QVERIFY(qFuzzyCompare(Settings::current().TaxRate, 0.0725));
        QCOMPARE(int(Settings::current().ReminderQty), 5);
        QCOMPARE(t.scalar("SELECT tax FROM admin ORDER BY rowid LIMIT 1").toDouble(), 7.25);
        QCOMPARE(t.scalar("SELECT tax FROM admin ORDER BY rowid DESC LIMIT 1").toDouble(), 99.0);
        // A refused save changes neither the row nor the settings.
        QVERIFY(!::saveAdminValues(t.db(), AdminValues{1, 1, 1, 40000}).ok());
        QCOMPARE(t.scalar("SELECT tax FROM admin ORDER BY rowid LIMIT 1").toDouble(), 7.25);
        QVERIFY(t.exec("DELETE FROM admin"));
        QVERIFY(!::saveAdminValues(t.db(), AdminValues{1, 1, 1, 1}).ok());
        QVERIFY(qFuzzyCompare(Settings::current().TaxRate, 0.0725));
    }
};

QTEST_GUILESS_MAIN(tst_RecordSet)
#include "tst_recordset.moc"
