#include "TestSupport.h"

#include "data/KeyNumbering.h"
#include "data/RecordSet.h"

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

// Every stored customer as "num:last:phone", in first-name order (which no test
// changes), to see that nothing else changed.
QStringList dump(const TestDatabase &t)
{
    const QString sql = "SELECT group_concat(cust_num || ':' || last_name || ':' || phone, char(10)) "
                        "FROM (SELECT * FROM customer ORDER BY first_name)";
    return t.scalar(sql).toString().split('\n');
}

// Where a set stands: "position:key", then " BOF" and " EOF" when they hold.
QString at(RecordSet &rs)
{
    const QString ends = QString(rs.bof() ? " BOF" : "") + (rs.eof() ? " EOF" : "");
    return QString("%1:%2%3").arg(rs.absolutePosition()).arg(rs.integer("cust_num")).arg(ends);
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
    (void)rs.refresh(); // a failure shows in every check after it
    return rs;
}

// Fills a key column with 1..last in one statement.
QString oneTo(int last, const QString &table, const QString &column)
{
    return QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                   "INSERT INTO %2 (%3) SELECT i FROM n")
        .arg(QString::number(last), table, column);
}

} // namespace

class tst_RecordSet : public QObject
{
    Q_OBJECT
private slots:
    // Moves stop one step beyond either end; table and query sets move alike.
    void navigation()
    {
        TestDatabase t;
        seedCustomers(t);
        for (RecordSet rs : {RecordSet::table(t.db(), "customer"),
                             RecordSet::query(t.db(), "SELECT * FROM customer ORDER BY cust_num")}) {
            QVERIFY(rs.refresh().ok());
            rs.movePrevious();
            QCOMPARE(at(rs), QString("0:0 BOF"));
            rs.movePrevious();
            rs.moveNext();
            QCOMPARE(at(rs), QString("1:1"));
            rs.moveLast();
            rs.moveNext();
            QCOMPARE(at(rs), QString("0:0 EOF"));
            rs.moveNext();
            rs.movePrevious();
            QCOMPARE(at(rs), QString("5:10"));
        }
    }

    void find_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("where");
        const QString none = "0:0 EOF";
        QTest::newRow("text without regard to case") << 1 << "last_name" << QVariant("o'brien") << "2:2";
        QTest::newRow("current row included") << 2 << "last_name" << QVariant("O'Brien") << "2:2";
        QTest::newRow("rows before current skipped") << 3 << "last_name" << QVariant("O'Brien") << none;
        QTest::newRow("text finds a number") << 1 << "cust_num" << QVariant("3") << "3:3";
        QTest::newRow("number finds text") << 1 << "phone" << QVariant(3) << "2:2";
        QTest::newRow("empty text") << 1 << "phone" << QVariant("") << "3:3";
        QTest::newRow("number against words") << 1 << "last_name" << QVariant(0) << none;
        QTest::newRow("unknown column") << 1 << "nosuch" << QVariant("Smith") << none;
    }

    void find()
    {
        QFETCH(int, start);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(QString, where);
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        rs.setAbsolutePosition(start);
        QCOMPARE(rs.find(column, value), !where.endsWith("EOF"));
        QCOMPARE(at(rs), where);
    }

    void addNewStaysLastUntilRead()
    {
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t, "last_name COLLATE NOCASE");
        RecordSet other = openTable(t);
        rs.addNew();
        rs.setValue("cust_num", "5"); // stored with the column's own type
        rs.setValue("last_name", "Aaron");
        QVERIFY(rs.update().ok());
        QCOMPARE(t.scalar("SELECT last_name FROM customer WHERE cust_num = 5").toString(), QString("Aaron"));
        rs.setAbsolutePosition(99); // out of range: stays
        QCOMPARE(at(rs), QString("6:5"));
        QCOMPARE(rs.value("cust_num"), QVariant(qint64(5))); // the stored row, read back
        QCOMPARE(keys(rs), (QList<qint64>{4, 3, 2, 1, 10, 5}));
        QCOMPARE(other.recordCount(), 5); // a snapshot until read again
        QVERIFY(rs.refresh().ok());
        QCOMPARE(keys(rs), (QList<qint64>{5, 4, 3, 2, 1, 10}));
    }

    void update_data()
    {
        QTest::addColumn<QString>("elsewhere"); // run by someone else once the set is read
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored"); // the row "num:last:phone" afterwards; empty: refused
        const QString sql = "x'); DELETE FROM customer; --";
        const QString gone = "DELETE FROM customer WHERE cust_num = 2";
        QTest::newRow("quotes and SQL kept as typed") << "" << false << "last_name" << QVariant(sql) << "2:" + sql + ":3";
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
        const QString before = rs.text(column);
        if (adding)
            rs.addNew();
        rs.setValue(column, value);
        QCOMPARE(rs.update().ok(), !stored.isEmpty());
        rs.cancelUpdate();
        if (!stored.isEmpty())
            expected[1] = stored;
        QCOMPARE(dump(t), expected);
        QCOMPARE(rs.text(column), stored.isEmpty() ? before : value.toString());
        QCOMPARE(rs.absolutePosition(), 2);
        QCOMPARE(rs.recordCount(), 5);
    }

    // Bookmarks follow their rows as rows before them go.
    void deleteCurrent()
    {
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        rs.setAbsolutePosition(4);
        const RecordSet::Bookmark four = rs.bookmark();
        rs.setAbsolutePosition(2);
        QVERIFY(rs.deleteCurrent().ok());
        QCOMPARE(rs.integer("cust_num"), 3); // the row after it
        rs.moveLast();
        QVERIFY(rs.deleteCurrent().ok());
        QVERIFY(rs.eof());
        QVERIFY(!rs.deleteCurrent().ok()); // nothing current at EOF
        QVERIFY(rs.setBookmark(four));
        QCOMPARE(at(rs), QString("3:4"));
        QCOMPARE(keys(rs), (QList<qint64>{1, 3, 4}));
        QCOMPARE(dump(t), QStringList({"1:Smith:555-0101", "4:adams:555-0104", "3:Brown:"}));
    }

    // Beyond 32 bits: neither truncated nor stored as dollars.
    void moneyRoundTrip()
    {
        const qint64 units = 12345678900;
        TestDatabase t;
        RecordSet rs = RecordSet::table(t.db(), "inventory");
        QVERIFY(rs.refresh().ok());
        rs.addNew();
        rs.setMoney("cost", Money::fromUnits(units));
        QVERIFY(rs.update().ok());
        QCOMPARE(t.scalar("SELECT cost FROM inventory").toLongLong(), units);
        QCOMPARE(rs.money("cost").units(), units);
    }

    // Dates are stored as year-month-day and read back the same way round.
    void dateRoundTrip()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO expenses (expense_num, expense_date) VALUES (1, '2005-03-07')"));
        RecordSet rs = RecordSet::table(t.db(), "expenses");
        QVERIFY(rs.refresh().ok());
        QCOMPARE(rs.date("expense_date"), QDate(2005, 3, 7));
        rs.setDate("expense_date", QDate(2024, 12, 31));
        QVERIFY(rs.update().ok());
        QCOMPARE(t.scalar("SELECT expense_date FROM expenses").toString(), QString("2024-12-31"));
        QCOMPARE(rs.date("expense_date"), QDate(2024, 12, 31));
    }

    // Bound values; a query's set cannot be written.
    void readOnlyQuery()
    {
        TestDatabase t;
        seedCustomers(t);
        const QStringList stored = dump(t);
        const QString sql = "SELECT cust_num, last_name FROM customer WHERE last_name = ?";
        RecordSet rs = RecordSet::query(t.db(), sql, {"' OR 1=1 --"});
        QVERIFY(rs.refresh().ok());
        QCOMPARE(at(rs), QString("0:0 BOF EOF"));
        rs = RecordSet::query(t.db(), sql, {"O'Brien"});
        QVERIFY(rs.refresh().ok());
        QCOMPARE(rs.integer("cust_num"), 2);
        rs.setValue("last_name", "Changed");
        QVERIFY(!rs.update().ok());
        rs.cancelUpdate();
        QVERIFY(!rs.deleteCurrent().ok());
        QCOMPARE(dump(t), stored);
    }

    void nextKey_data()
    {
        QTest::addColumn<Keys::Kind>("kind");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("expected"); // -1: none left
        using K = Keys::Kind;
        const QString order = "INSERT INTO orders (order_num, cust_num) VALUES (%1, 1)";
        QTest::newRow("no customers") << K::Customer << "" << 0;
        QTest::newRow("customers 1 2 4") << K::Customer << "INSERT INTO customer (cust_num) VALUES (1), (2), (4)" << 3;
        QTest::newRow("last free customer") << K::Customer << oneTo(297, "customer", "cust_num") << 298;
        QTest::newRow("customers used up") << K::Customer << oneTo(298, "customer", "cust_num") << -1;
        QTest::newRow("suppliers used up") << K::Supplier << oneTo(98, "suppliers", "supplier_num") << -1;
        QTest::newRow("after order 0") << K::Order << order.arg(0) << 1;
        QTest::newRow("the highest order") << K::Order << order.arg(32766) << 32767;
        QTest::newRow("orders used up") << K::Order << order.arg(32767) << -1;
        QTest::newRow("no expenses") << K::Expense << "" << 1;
    }

    void nextKey()
    {
        QFETCH(Keys::Kind, kind);
        QFETCH(QString, setup);
        QFETCH(int, expected);
        TestDatabase t;
        QVERIFY(t.exec("PRAGMA foreign_keys = OFF")); // orders without their customer
        if (!setup.isEmpty())
            QVERIFY(t.exec(setup));
        const Keys::NewKey key = Keys::next(t.db(), kind);
        QVERIFY2(key.status.ok(), qPrintable(key.status.message()));
        QCOMPARE(key.number.value_or(-1), expected);
        if (expected < 0)
            QVERIFY(!key.limitMessage.isEmpty());
        // Reading a table that is not there is a failure, not a number.
        QVERIFY(t.exec(QString("DROP TABLE %1").arg(Keys::rule(kind).table)));
        QVERIFY(!Keys::next(t.db(), kind).status.ok());
    }

    // Only the first admin row is written; a refused save changes neither it nor the settings.
    void saveAdminValues()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO admin (tax) VALUES (99)"));
        QVERIFY(::saveAdminValues(t.db(), AdminValues{7.25, 8.5, 12, 5}).ok());
        QVERIFY(qFuzzyCompare(Settings::current().TaxRate, 0.0725));
        QCOMPARE(int(Settings::current().ReminderQty), 5);
        QVERIFY(!::saveAdminValues(t.db(), AdminValues{1, 1, 1, 40000}).ok());
        QCOMPARE(t.scalar("SELECT group_concat(tax, ' ') FROM admin").toString(), QString("7.25 99.0"));
        QVERIFY(t.exec("DELETE FROM admin"));
        QVERIFY(!::saveAdminValues(t.db(), AdminValues{1, 1, 1, 1}).ok());
        QVERIFY(qFuzzyCompare(Settings::current().TaxRate, 0.0725));
    }
};

QTEST_GUILESS_MAIN(tst_RecordSet)
#include "tst_recordset.moc"
