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

    void misnamedColumn_data()
    {
        QTest::addColumn<QString>("use");
        QTest::newRow("assigned on the current row") << "edit";
        QTest::newRow("assigned on a new row") << "add";
        QTest::newRow("read") << "read";
        QTest::newRow("searched") << "find";
        QTest::newRow("sorted by") << "sort";
    }

    // A column name the set lacks is reported, never silently dropped: a record
    // written without one of its values would lose what was typed for it.
    void misnamedColumn()
    {
#if !defined(QT_NO_DEBUG) || defined(QT_FORCE_ASSERTS)
        QSKIP("a misnamed column asserts in debug builds");
#endif
        QFETCH(QString, use);
        TestDatabase t;
        seedCustomers(t);
        const QStringList stored = dump(t);
        RecordSet rs = openTable(t);
        rs.setAbsolutePosition(2);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("RecordSet: .* column \"Phnoe\", which the customer does not have"));
        if (use == "edit" || use == "add") {
            if (use == "add")
                rs.addNew();
            rs.setValue("cust_num", 7);
            rs.setValue("Phnoe", "555-0199");
            rs.setValue("last_name", "Changed");
            const Status s = rs.update();
            QVERIFY(!s.ok());
            QVERIFY2(s.message().contains("customer") && s.message().contains("Phnoe"), qPrintable(s.message()));
            rs.cancelUpdate();
            // Once the edit is dropped, the set writes again.
            rs.setValue("phone", "555-0102");
            QVERIFY(rs.update().ok());
            QCOMPARE(rs.text("phone"), QString("555-0102"));
            QCOMPARE(t.count("customer"), 5);
            return;
        }
        if (use == "read")
            QVERIFY(!rs.value("Phnoe").isValid());
        else if (use == "find")
            QVERIFY(!rs.find("Phnoe", "3"));
        else
            rs.sort("Phnoe");
        QCOMPARE(dump(t), stored);
    }

    void refusedWrite_data()
    {
        QTest::addColumn<QString>("write");   // add, edit or delete, on the second row
        QTest::addColumn<QString>("trigger"); // %1: the statement's event
        QTest::addColumn<QString>("cause");   // in the failure's message
        QTest::addColumn<bool>("inTransaction"); // inside one that then commits its other work
        const QString before = "CREATE TRIGGER t BEFORE %1 ON customer BEGIN SELECT RAISE(ABORT, 'refused'); END";
        const QString after = "CREATE TRIGGER t AFTER %1 ON customer BEGIN SELECT RAISE(FAIL, 'refused'); END";
        const QString moved = "CREATE TRIGGER t AFTER %1 ON customer BEGIN "
                              "UPDATE customer SET cust_num = new.cust_num + 100 WHERE cust_num = new.cust_num; END";
        for (const bool inTransaction : {false, true}) {
            const char *where = inTransaction ? ", in a transaction" : "";
            for (const QString write : {"add", "edit", "delete"}) {
                QTest::addRow("%s refused before%s", qPrintable(write), where) << write << before << "refused" << inTransaction;
                QTest::addRow("%s refused after%s", qPrintable(write), where) << write << after << "refused" << inTransaction;
                if (write != "delete")
                    QTest::addRow("%s moved%s", qPrintable(write), where) << write << moved << "no longer exists" << inTransaction;
            }
        }
    }

    // A write the database refuses, even after the row was written, leaves the
    // table and the set as they were; a transaction around it goes on.
    void refusedWrite()
    {
        QFETCH(QString, write);
        QFETCH(QString, trigger);
        QFETCH(QString, cause);
        QFETCH(bool, inTransaction);
        TestDatabase t;
        seedCustomers(t);
        RecordSet rs = openTable(t);
        const QStringList stored = dump(t);
        const QString event = write == "add" ? "INSERT" : write == "edit" ? "UPDATE" : "DELETE";
        QVERIFY(t.exec(trigger.arg(event)));
        std::optional<Transaction> tx;
        if (inTransaction) {
            tx.emplace(t.db());
            QVERIFY(tx->begin().ok());
            QVERIFY(t.exec("INSERT INTO suppliers (supplier_num, Company) VALUES (1, 'Kept')"));
        }
        rs.setAbsolutePosition(2);
        Status s;
        if (write == "delete") {
            s = rs.deleteCurrent();
        } else {
            if (write == "add")
                rs.addNew();
            rs.setValue("cust_num", 7);
            rs.setValue("phone", "555-0107");
            s = rs.update();
            rs.cancelUpdate();
        }
        QVERIFY(!s.ok());
        QVERIFY2(s.message().contains(cause), qPrintable(s.message()));
        if (tx)
            QVERIFY(tx->commit().ok());
        QCOMPARE(dump(t), stored);
        QCOMPARE(t.count("suppliers"), inTransaction ? 1 : 0);
        QCOMPARE(at(rs), QString("2:2"));
        QCOMPARE(rs.text("phone"), QString("3"));
        QCOMPARE(keys(rs), (QList<qint64>{1, 2, 3, 4, 10}));
    }

    void writesInTransaction_data()
    {
        QTest::addColumn<bool>("commit");
        QTest::newRow("committed") << true;
        QTest::newRow("rolled back") << false;
    }

    // Rows written or read inside a transaction stay only when it commits; after
    // a rollback the sets show the file again, bookmarks kept, and an edit begun
    // on a row that went is refused rather than stored elsewhere.
    void writesInTransaction()
    {
        QFETCH(bool, commit);
        TestDatabase t;
        seedCustomers(t);
        const QStringList stored = dump(t);
        RecordSet rs = openTable(t);
        RecordSet read = RecordSet::query(t.db(), "SELECT cust_num FROM customer ORDER BY cust_num");
        rs.setAbsolutePosition(3);
        const RecordSet::Bookmark three = rs.bookmark();
        {
            Transaction tx(t.db());
            QVERIFY(tx.begin().ok());
            rs.addNew();
            rs.setValue("cust_num", 5);
            rs.setValue("last_name", "Aaron");
            QVERIFY(rs.update().ok());
            rs.setAbsolutePosition(2);
            rs.setValue("phone", "555-0102");
            QVERIFY(rs.update().ok());
            rs.setAbsolutePosition(4);
            QVERIFY(rs.deleteCurrent().ok()); // customer 4
            QVERIFY(read.refresh().ok());
            QCOMPARE(read.recordCount(), 5);
            rs.moveLast(); // the new customer 5
            rs.setValue("phone", "555-0105");
            if (commit)
                QVERIFY(tx.commit().ok());
        }
        QCOMPARE(rs.update().ok(), commit);
        rs.cancelUpdate();
        QVERIFY(rs.setBookmark(three));
        QCOMPARE(rs.integer("cust_num"), 3);
        QCOMPARE(keys(rs), commit ? (QList<qint64>{1, 2, 3, 10, 5}) : (QList<qint64>{1, 2, 3, 4, 10}));
        rs.setAbsolutePosition(2);
        QCOMPARE(rs.text("phone"), commit ? QString("555-0102") : QString("3"));
        QList<qint64> readKeys;
        for (read.moveFirst(); !read.eof(); read.moveNext())
            readKeys << read.integer("cust_num");
        QCOMPARE(readKeys, commit ? (QList<qint64>{1, 2, 3, 5, 10}) : (QList<qint64>{1, 2, 3, 4, 10}));
        if (!commit)
            QCOMPARE(dump(t), stored);
        QCOMPARE(t.scalar("SELECT phone FROM customer WHERE cust_num = 5").toString(),
                 commit ? QString("555-0105") : QString());
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

    void storedReminderQty_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("expected"); // -99999: refused as out of range
        QTest::newRow("2.5 to even below") << 2.5 << 2;
        QTest::newRow("3.5 to even above") << 3.5 << 4;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("7.4") << 7.4 << 7;
        QTest::newRow("lowest, half below") << -32768.5 << -32768;
        QTest::newRow("rounds past the highest") << 32767.5 << -99999;
    }

    // Read and loaded as a 16-bit whole number, halves to even.
    void storedReminderQty()
    {
        QFETCH(double, stored);
        QFETCH(int, expected);
        TestDatabase t;
        QVERIFY(t.exec("UPDATE admin SET invReminderqty = ?", {stored}));
        AdminValues values;
        const Status read = readAdminValues(t.db(), values);
        const Status loaded = LoadSettings(t.db());
        QCOMPARE(read.ok(), expected != -99999);
        QCOMPARE(loaded.ok(), expected != -99999);
        if (expected == -99999) {
            QVERIFY2(loaded.message().contains("out of range"), qPrintable(loaded.message()));
            QCOMPARE(int(Settings::current().ReminderQty), 0);
        } else {
            QCOMPARE(values.invReminderqty, qint64(expected));
            QCOMPARE(int(Settings::current().ReminderQty), expected);
        }
    }
};

QTEST_GUILESS_MAIN(tst_RecordSet)
#include "tst_recordset.moc"
