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
        QTest::newRow("empty, moved") << false << "FNP" << 0 << true << true;
        QTest::newRow("empty, last") << false << "L" << 0 << true << true;
        QTest::newRow("opened") << true << "" << 1 << false << false;
        QTest::newRow("first") << true << "LF" << 1 << false << false;
        QTest::newRow("next") << true << "NN" << 3 << false << false;
        QTest::newRow("last") << true << "L" << 5 << false << false;
        QTest::newRow("past the last") << true << "LN" << 0 << false << true;
        QTest::newRow("stays at EOF") << true << "LNNN" << 0 << false << true;
        QTest::newRow("back from EOF") << true << "LNNP" << 5 << false << false;
        QTest::newRow("before the first") << true << "P" << 0 << true << false;
        QTest::newRow("stays at BOF") << true << "PPP" << 0 << true << false;
        QTest::newRow("forward from BOF") << true << "PPN" << 1 << false << false;
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

    void bookmarks()
    {
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        rs.setAbsolutePosition(2);
        QCOMPARE(rs.integer("cust_num"), 2);
        const RecordSet::Bookmark bob = rs.bookmark();
        rs.sort("last_name");
        QCOMPARE(rs.absolutePosition(), 1);
        QVERIFY(rs.setBookmark(bob));
        QCOMPARE(rs.text("last_name"), QString("O'Brien"));
        QCOMPARE(rs.absolutePosition(), 3);
        rs.addNew();
        rs.setValue("cust_num", 7);
        QVERIFY(rs.update().ok());
        const RecordSet::Bookmark added = rs.bookmark();
        QVERIFY(added != bob);
        QVERIFY(rs.setBookmark(bob));
        QCOMPARE(rs.integer("cust_num"), 2);
        QVERIFY(rs.setBookmark(added));
        QCOMPARE(rs.integer("cust_num"), 7);
        rs.setAbsolutePosition(99); // out of range: stays
        QCOMPARE(rs.integer("cust_num"), 7);
        QVERIFY(!rs.setBookmark(123456));
        QCOMPARE(rs.integer("cust_num"), 7);
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
        QTest::newRow("forward from current") << 2 << "cust_num" << QVariant(10) << qint64(10);
        QTest::newRow("text finds a number") << 1 << "cust_num" << QVariant("3") << qint64(3);
        QTest::newRow("decimal text finds a number") << 1 << "cust_num" << QVariant("4.0") << qint64(4);
        QTest::newRow("number finds text") << 1 << "phone" << QVariant(3) << qint64(2);
        QTest::newRow("empty text") << 1 << "phone" << QVariant("") << qint64(3);
        QTest::newRow("nothing matches") << 1 << "last_name" << QVariant("Nobody") << qint64(0);
        QTest::newRow("number against words") << 1 << "last_name" << QVariant(0) << qint64(0);
        QTest::newRow("SQL in the value") << 1 << "last_name" << QVariant("' OR 1=1 --") << qint64(0);
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
        const QStringList stored = dump(t);
        RecordSet rs = openTable(t);
        rs.setAbsolutePosition(start);
        QCOMPARE(rs.find(column, value), found != 0);
        if (found)
            QCOMPARE(rs.integer("cust_num"), found);
        else
            QVERIFY(rs.eof());
        QCOMPARE(rs.recordCount(), 5);
        QVERIFY(!rs.editing());
        QCOMPARE(dump(t), stored);
    }

    void sort_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QList<qint64>>("order");
        QTest::newRow("text without regard to case") << "last_name" << QList<qint64>{4, 3, 2, 1, 10};
        QTest::newRow("numbers as numbers") << "cust_num" << QList<qint64>{1, 2, 3, 4, 10};
        QTest::newRow("first names") << "first_name" << QList<qint64>{1, 2, 4, 3, 10};
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
        rs.sort(column);
        QCOMPARE(rs.absolutePosition(), 1);
        QCOMPARE(keys(rs), order);
    }

    void addNewStaysLastUntilRefresh()
    {
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t, "last_name COLLATE NOCASE");
        QCOMPARE(keys(rs), (QList<qint64>{4, 3, 2, 1, 10}));
        rs.addNew();
        QVERIFY(rs.editing());
        rs.setValue("cust_num", "5"); // stored with the column's own type
        rs.setValue("last_name", "Aaron");
        QCOMPARE(rs.text("last_name"), QString("Aaron"));
        QVERIFY(rs.update().ok());
        QVERIFY(!rs.editing());
        QCOMPARE(t.scalar("SELECT last_name FROM customer WHERE cust_num = 5").toString(), QString("Aaron"));
        QCOMPARE(rs.recordCount(), 6);
        QCOMPARE(rs.absolutePosition(), 6);
        QCOMPARE(rs.value("cust_num"), QVariant(qint64(5)));
        QCOMPARE(rs.text("phone"), QString()); // the table's default, read back
        QCOMPARE(keys(rs), (QList<qint64>{4, 3, 2, 1, 10, 5}));
        QVERIFY(rs.refresh().ok());
        QCOMPARE(keys(rs), (QList<qint64>{5, 4, 3, 2, 1, 10}));
    }

    void editCurrentRow_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored"); // the row "num:last:phone" afterwards
        QTest::newRow("text") << "phone" << QVariant("555-0202") << "2:O'Brien:555-0202";
        QTest::newRow("quotes and SQL kept as typed") << "last_name" << QVariant("x'); DELETE FROM customer; --")
                                                      << "2:x'); DELETE FROM customer; --:3";
        QTest::newRow("the key itself") << "cust_num" << QVariant(20) << "20:O'Brien:3";
    }

    void editCurrentRow()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(QString, stored);
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        QVERIFY(rs.find("cust_num", 2));
        const RecordSet::Bookmark mark = rs.bookmark();
        rs.setValue(column, value);
        QCOMPARE(rs.value(column), value);
        const Status s = rs.update();
        QVERIFY2(s.ok(), qPrintable(s.message()));
        QVERIFY(!rs.editing());
        QStringList expected = {"1:Smith:555-0101", "3:Brown:", "4:adams:555-0104", "10:Zed:555-0110", stored};
        QStringList now = dump(t);
        expected.sort();
        now.sort();
        QCOMPARE(now, expected);
        QCOMPARE(rs.absolutePosition(), 2);
        QCOMPARE(rs.bookmark(), mark);
        QCOMPARE(rs.text(column), value.toString());
    }

    void cancelUpdate()
    {
        TestDatabase t;
        seedCustomers(t);
        const QStringList stored = dump(t);
        RecordSet rs = openTable(t);
        rs.setValue("last_name", "Changed");
        rs.cancelUpdate();
        QVERIFY(!rs.editing());
        QCOMPARE(rs.text("last_name"), QString("Smith"));
        QVERIFY(rs.update().ok()); // nothing pending: nothing written
        rs.addNew();
        rs.setValue("cust_num", 50);
        rs.cancelUpdate();
        QVERIFY(rs.update().ok());
        QCOMPARE(rs.recordCount(), 5);
        QCOMPARE(rs.integer("cust_num"), 1);
        QCOMPARE(dump(t), stored);
    }

    void deleteCurrent()
    {
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        rs.setAbsolutePosition(2);
        QVERIFY(rs.deleteCurrent().ok());
        QCOMPARE(rs.recordCount(), 4);
        QCOMPARE(rs.integer("cust_num"), 3); // the row after it
        QCOMPARE(t.scalar("SELECT count(*) FROM customer WHERE cust_num = 2").toInt(), 0);
        rs.moveLast();
        QVERIFY(rs.deleteCurrent().ok());
        QVERIFY(rs.eof());
        QVERIFY(!rs.deleteCurrent().ok()); // nothing current at EOF
        QCOMPARE(t.count("customer"), 3);
        QCOMPARE(keys(rs), (QList<qint64>{1, 3, 4}));
    }

    void failedUpdate_data()
    {
        QTest::addColumn<bool>("adding");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("goneElsewhere");
        QTest::newRow("new row with a used key") << true << "cust_num" << QVariant(1) << false;
        QTest::newRow("key changed to a used one") << false << "cust_num" << QVariant(1) << false;
        QTest::newRow("key out of range") << false << "cust_num" << QVariant(40000) << false;
        QTest::newRow("NULL where a value is required") << false << "last_name" << QVariant() << false;
        QTest::newRow("row deleted by someone else") << false << "phone" << QVariant("1") << true;
    }

    void failedUpdate()
    {
        QFETCH(bool, adding);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(bool, goneElsewhere);
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        if (goneElsewhere)
            QVERIFY(t.exec("DELETE FROM customer WHERE cust_num = 2"));
        const QStringList stored = dump(t);
        rs.setAbsolutePosition(2);
        if (adding)
            rs.addNew();
        rs.setValue(column, value);
        const Status s = rs.update();
        QVERIFY(!s.ok());
        QVERIFY(!s.message().isEmpty());
        QCOMPARE(dump(t), stored);
        QCOMPARE(rs.recordCount(), 5);
        rs.cancelUpdate();
        QCOMPARE(rs.integer("cust_num"), 2);
    }

    void refreshSeesOtherSet()
    {
        TestDatabase t;
        seedCustomers(t);
        RecordSet mine = openTable(t);
        RecordSet other = openTable(t);
        other.addNew();
        other.setValue("cust_num", 6);
        QVERIFY(other.update().ok());
        other.moveFirst();
        QVERIFY(other.find("cust_num", 1));
        QVERIFY(other.deleteCurrent().ok());
        QCOMPARE(mine.recordCount(), 5); // a snapshot until read again
        QVERIFY(mine.refresh().ok());
        QCOMPARE(keys(mine), (QList<qint64>{2, 3, 4, 6, 10}));
    }

    void moneyRoundTrip_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("units");
        QTest::newRow("12.50") << "12.50" << qint64(125000);
        QTest::newRow("a ten-thousandth") << "0.0001" << qint64(1);
        QTest::newRow("negative") << "-3" << qint64(-30000);
        QTest::newRow("beyond 32 bits") << "$1,234,567.89" << qint64(12345678900);
    }

    void moneyRoundTrip()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, units);
        TestDatabase t;
        RecordSet rs = RecordSet::table(t.db(), "inventory");
        QVERIFY(rs.refresh().ok());
        rs.addNew();
        rs.setValue("product_num", 1);
        rs.setMoney("cost", *Money::fromText(typed));
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
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.columns(), QStringList({"cust_num", "last_name"}));
        rs.setValue("last_name", "Changed");
        QVERIFY(!rs.update().ok());
        rs.cancelUpdate();
        rs.addNew();
        rs.setValue("cust_num", 9);
        QVERIFY(!rs.update().ok());
        rs.cancelUpdate();
        QVERIFY(!rs.deleteCurrent().ok());
        QCOMPARE(dump(t), stored);
    }

    void numberingRules_data()
    {
        QTest::addColumn<bool>("lowest");   // lowest free, else one after the last
        QTest::addColumn<QList<int>>("used"); // after the last: the last number, if any
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("expected"); // -1: none left
        QList<int> upTo298;
        for (int n = 1; n <= 298; ++n)
            upTo298 << n;
        QTest::newRow("lowest: empty") << true << QList<int>() << 299 << 0 << 0;
        QTest::newRow("lowest: empty, first given") << true << QList<int>() << 299 << 1 << 1;
        QTest::newRow("lowest: a gap") << true << QList<int>{1, 2, 4} << 299 << 0 << 3;
        QTest::newRow("lowest: only zero") << true << QList<int>{0} << 299 << 0 << 1;
        QTest::newRow("lowest: last free one") << true << upTo298.mid(0, 297) << 299 << 0 << 298;
        QTest::newRow("lowest: 1..298 used") << true << upTo298 << 299 << 0 << -1;
        QTest::newRow("lowest: 1..98 used") << true << upTo298.mid(0, 98) << 99 << 0 << -1;
        QTest::newRow("after: no orders") << false << QList<int>() << 32767 << 0 << 0;
        QTest::newRow("after: no expenses") << false << QList<int>() << 32767 << 1 << 1;
        QTest::newRow("after: 0") << false << QList<int>{0} << 32767 << 0 << 1;
        QTest::newRow("after: the highest") << false << QList<int>{32766} << 32767 << 0 << 32767;
        QTest::newRow("after: past the highest") << false << QList<int>{32767} << 32767 << 0 << -1;
    }

    void numberingRules()
    {
        QFETCH(bool, lowest);
        QFETCH(QList<int>, used);
        QFETCH(int, limit);
        QFETCH(int, first);
        QFETCH(int, expected);
        const auto n = lowest ? Keys::lowestFree(QSet<int>(used.begin(), used.end()), limit, first)
                              : Keys::afterLast(used.isEmpty() ? std::nullopt : std::optional<int>(used.last()),
                                                limit, first);
        QCOMPARE(n.value_or(-1), expected);
    }

    void nextKey_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<int>("expected"); // -1: none left
        const QString customer = "INSERT INTO customer (cust_num) VALUES (%1)";
        const QString order = "INSERT INTO orders (order_num, cust_num) VALUES (%1, 1)";
        QTest::newRow("customers 1 2 4") << int(Keys::Kind::Customer)
                                         << QStringList{customer.arg(1), customer.arg(2), customer.arg(4)} << 3;
        QTest::newRow("no customers") << int(Keys::Kind::Customer) << QStringList() << 0;
        QTest::newRow("no orders") << int(Keys::Kind::Order) << QStringList{customer.arg(1)} << 0;
        QTest::newRow("after order 0") << int(Keys::Kind::Order) << QStringList{customer.arg(1), order.arg(0)} << 1;
        QTest::newRow("orders after the last, not a gap")
            << int(Keys::Kind::Order) << QStringList{customer.arg(1), order.arg(1), order.arg(7)} << 8;
        QTest::newRow("orders used up") << int(Keys::Kind::Order) << QStringList{customer.arg(1), order.arg(32767)} << -1;
        QTest::newRow("no expenses") << int(Keys::Kind::Expense) << QStringList() << 1;
        QTest::newRow("expenses used up") << int(Keys::Kind::Expense)
                                          << QStringList{"INSERT INTO expenses (expense_num) VALUES (32767)"} << -1;
        QStringList suppliers;
        for (int n = 1; n <= 98; ++n)
            suppliers << QString("INSERT INTO suppliers (supplier_num) VALUES (%1)").arg(n);
        QTest::newRow("suppliers used up") << int(Keys::Kind::Supplier) << suppliers << -1;
    }

    void nextKey()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, setup);
        QFETCH(int, expected);
        TestDatabase t;
        for (const QString &sql : setup)
            QVERIFY(t.exec(sql));
        const Keys::NewKey key = Keys::next(t.db(), Keys::Kind(kind));
        QVERIFY2(key.status.ok(), qPrintable(key.status.message()));
        QCOMPARE(key.number.value_or(-1), expected);
        if (expected < 0)
            QVERIFY(!key.limitMessage.isEmpty());
        // Reading a table that is not there is a failure, not a number.
        QVERIFY(t.exec("PRAGMA foreign_keys = OFF"));
        QVERIFY(t.exec(QString("DROP TABLE %1").arg(Keys::rule(Keys::Kind(kind)).table)));
        QVERIFY(!Keys::next(t.db(), Keys::Kind(kind)).status.ok());
    }

    void loadSettings_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<double>>("expected"); // tax, shipping, out of town, reminder
        const QList<double> before{0.01, 0.02, 0.03, 4}; // kept when loading fails
        const QString set = "UPDATE admin SET tax = %1, shipping = %2, shippingoot = %3, invReminderqty = %4";
        QTest::newRow("typical") << set.arg("7.25", "8.5", "12", "5") << true << QList<double>{0.0725, 0.085, 0.12, 5};
        QTest::newRow("zeros") << set.arg("0", "0", "0", "0") << true << QList<double>{0, 0, 0, 0};
        QTest::newRow("largest reminder") << set.arg("100", "0.5", "0.25", "32767") << true
                                          << QList<double>{1, 0.005, 0.0025, 32767};
        QTest::newRow("empty tax") << set.arg("NULL", "8.5", "12", "5") << true << QList<double>{0, 0.085, 0.12, 5};
        QTest::newRow("empty admin table") << "DELETE FROM admin" << false << before;
        QTest::newRow("no admin table") << "DROP TABLE admin" << false << before;
        QTest::newRow("reminder out of range") << set.arg("5", "5", "5", "40000") << false << before;
    }

    void loadSettings()
    {
        QFETCH(QString, sql);
        QFETCH(bool, ok);
        QFETCH(QList<double>, expected);
        TestDatabase t;
        if (!execBound(t.db(), sql).ok() && sql.contains("NULL"))
            QSKIP("admin.tax is NOT NULL: an empty tax cannot be stored");
        Settings::current() = Settings{0.01, 0.02, 0.03, 4};
        const Status s = LoadSettings(t.db());
        QCOMPARE(s.ok(), ok);
        QCOMPARE(s.message().isEmpty(), ok);
        const Settings &now = Settings::current();
        QVERIFY(qFuzzyCompare(1 + now.TaxRate, 1 + expected[0]));
        QVERIFY(qFuzzyCompare(1 + now.ShippingRate, 1 + expected[1]));
        QVERIFY(qFuzzyCompare(1 + now.ShippingOOTRate, 1 + expected[2]));
        QCOMPARE(int(now.ReminderQty), int(expected[3]));
    }

    void saveAdminValues()
    {
        TestDatabase t;
        QVERIFY(t.exec("INSERT INTO admin (tax) VALUES (99)")); // a second row is never touched
        QVERIFY(::saveAdminValues(t.db(), AdminValues{7.25, 8.5, 12, 5}).ok());
        QVERIFY(qFuzzyCompare(Settings::current().TaxRate, 0.0725));
        QVERIFY(qFuzzyCompare(Settings::current().ShippingRate, 0.085));
        QCOMPARE(int(Settings::current().ReminderQty), 5);
        QCOMPARE(t.scalar("SELECT tax FROM admin ORDER BY rowid LIMIT 1").toDouble(), 7.25);
        QCOMPARE(t.scalar("SELECT invReminderqty FROM admin ORDER BY rowid LIMIT 1").toInt(), 5);
        QCOMPARE(t.scalar("SELECT tax FROM admin ORDER BY rowid DESC LIMIT 1").toDouble(), 99.0);
        AdminValues read;
        QVERIFY(readAdminValues(t.db(), read).ok());
        QCOMPARE(read.shipping, 8.5);
        // A refused save changes neither the row nor the settings.
        QVERIFY(!::saveAdminValues(t.db(), AdminValues{1, 1, 1, 40000}).ok());
        QCOMPARE(t.scalar("SELECT tax FROM admin ORDER BY rowid LIMIT 1").toDouble(), 7.25);
        QVERIFY(qFuzzyCompare(Settings::current().TaxRate, 0.0725));
        QVERIFY(t.exec("DELETE FROM admin"));
        QVERIFY(!::saveAdminValues(t.db(), AdminValues{1, 1, 1, 1}).ok());
        QVERIFY(qFuzzyCompare(Settings::current().TaxRate, 0.0725));
    }
};

QTEST_GUILESS_MAIN(tst_RecordSet)
#include "tst_recordset.moc"
