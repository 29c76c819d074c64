#include "TestSupport.h"

#include "data/KeyNumbering.h"
#include "orders/OrderStore.h"

#include <QSqlRecord>
#include <QtTest>

using namespace Orders;

namespace {

const QDate Today(2024, 5, 20);
const QDate OrderDay(2024, 5, 1);   // another day, so close_date shows which was stored
constexpr qint16 Reminder = 7;

struct Product
{
    int num;
    const char *name;
    qint64 cost;   // units
    qint64 qty;
};
const Product Products[] = {{1, "Salt & Pepper Cake", 125000, 10},
                            {2, "Lemon Bars", 30000, 10},
                            {3, "O'Brien's Fudge", 45000, 10}};

QString nameOf(int productNum)
{
    for (const Product &p : Products) {
        if (p.num == productNum)
            return QString::fromUtf8(p.name);
    }
    return {};
}

// An order of customer 1 with one line per (product, quantity).
Order makeOrder(int orderNum, const QString &status, std::initializer_list<std::pair<int, qint64>> lines)
{
    Order o;
    o.orderNum = orderNum;
    o.custNum = 1;
    o.orderDate = OrderDay;
    o.status = status;
    o.type = Party;
    o.subtotal = Money::fromUnits(75000);
    o.addCosts = Money::fromUnits(50000);
    o.discounts = Money::fromUnits(10000);
    o.total = Money::fromUnits(124000);
    o.outOfTown = true;
    o.comments = QStringLiteral("Ring twice & don't park on O'Brien's lawn");
    for (const auto &[product, quantity] : lines)
        o.lines.push_back({product, nameOf(product), quantity});
    return o;
}

// What every table holds, row by row in stored order, to see that a refused or
// failed save left the file as it was.
QStringList snapshot(const TestDatabase &t)
{
    QStringList rows;
    QSqlQuery tables(t.db());
    tables.exec("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
    while (tables.next()) {
        const QString table = tables.value(0).toString();
        QSqlQuery q(t.db());
        q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
        while (q.next()) {
            QStringList values;
            for (int i = 0; i < q.record().count(); ++i)
                values << (q.isNull(i) ? QStringLiteral("NULL") : q.value(i).toString());
            rows << table + ": " + values.join(u'|');
        }
    }
    return rows;
}

// The stored lines of an order as "product:qty", in stored order.
QStringList storedLines(const TestDatabase &t, int orderNum)
{
    QStringList lines;
    QSqlQuery q(t.db());
    q.prepare("SELECT product_num, order_qty FROM order_detail WHERE order_num = ? ORDER BY rowid");
    q.addBindValue(orderNum);
    q.exec();
    while (q.next())
        lines << q.value(0).toString() + ':' + q.value(1).toString();
    return lines;
}

qint64 onHand(const TestDatabase &t, int productNum)
{
    return t.scalar("SELECT qty FROM inventory WHERE product_num = ?", {productNum}).toLongLong();
}

const char *RefuseProduct2 = "CREATE TRIGGER t BEFORE INSERT ON order_detail WHEN NEW.product_num = 2 "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END";

} // namespace

class tst_OrderStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDatabase> t;

    void add(const Order &o)
    {
        const OrderStore::SaveResult r = OrderStore::addOrder(t->db(), o, Reminder, Today);
        QVERIFY2(r.status.ok(), qPrintable(r.status.message()));
    }

private slots:
    void init()
    {
        t = std::make_unique<TestDatabase>();
        QVERIFY(t->exec("INSERT INTO customer (cust_num, first_name, last_name) VALUES (1, 'Ann', 'Smith')"));
        for (const Product &p : Products)
            QVERIFY(t->exec("INSERT INTO inventory (product_num, product, product_refnum, cost, qty)"
                            " VALUES (?, ?, ?, ?, ?)",
                            {p.num, QString::fromUtf8(p.name), QStringLiteral("R%1").arg(p.num), p.cost, p.qty}));
    }

    void cleanup() { t.reset(); }

    void firstOrderGetsZeroThenOne()
    {
        for (int expected : {0, 1}) {
            const Keys::NewKey key = Keys::next(t->db(), Keys::Kind::Order);
            QVERIFY(key.status.ok());
            QCOMPARE(key.number, std::optional<int>(expected));
            add(makeOrder(*key.number, Open, {{1, 1}}));
        }
        QCOMPARE(t->count("orders"), 2);
    }

    void headerAndLinesStored()
    {
        add(makeOrder(0, Open, {{3, 2}, {1, 1}}));
        QSqlQuery q(t->db());
        VERIFY_SQL(q, q.exec("SELECT order_num, cust_num, order_date, order_status, order_type, subtotal,"
                             " add_costs, discounts, total_price, out_of_town_order, close_date, comments"
                             " FROM orders"));
        QVERIFY(q.next());
        const QVariantList expected = {0, 1, "2024-05-01", "O", "P", 75000, 50000, 10000, 124000, 1, QVariant(),
                                       "Ring twice & don't park on O'Brien's lawn"};
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(q.value(i).toString(), expected[i].toString());
        QVERIFY(q.isNull(10));
        QCOMPARE(storedLines(*t, 0), QStringList({"3:2", "1:1"}));
        QCOMPARE(t->scalar("SELECT count(*) FROM order_detail WHERE cust_num = 1").toInt(), 2);
    }

    // Closing takes the quantity off the stock; an open order leaves it alone.
    void stock_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<qint64>("before");
        QTest::addColumn<qint64>("ordered");
        QTest::addColumn<qint64>("after");
        QTest::addColumn<bool>("reminded");
        QTest::newRow("closed, down to the reminder level") << Closed << qint64(10) << qint64(3) << qint64(7) << true;
        QTest::newRow("closed, below zero") << Closed << qint64(10) << qint64(12) << qint64(-2) << true;
        QTest::newRow("closed, above the reminder level") << Closed << qint64(11) << qint64(3) << qint64(8) << false;
        QTest::newRow("open") << Open << qint64(10) << qint64(3) << qint64(10) << false;
    }

    void stock()
    {
        QFETCH(QString, status);
        QFETCH(qint64, before);
        QFETCH(qint64, ordered);
        QFETCH(qint64, after);
        QFETCH(bool, reminded);
        QVERIFY(t->exec("UPDATE inventory SET qty = ? WHERE product_num = 1", {before}));

        const OrderStore::SaveResult r =
            OrderStore::addOrder(t->db(), makeOrder(0, status, {{1, ordered}, {2, 1}}), Reminder, Today);
        QVERIFY2(r.status.ok(), qPrintable(r.status.message()));
        QCOMPARE(onHand(*t, 1), after);
        QCOMPARE(onHand(*t, 2), status == Closed ? 9 : 10);
        QCOMPARE(r.reminders.size(), std::size_t(reminded ? 1 : 0));
        if (reminded) {
            QCOMPARE(r.reminders[0].productNum, 1);
            QCOMPARE(r.reminders[0].product, nameOf(1));
            QCOMPARE(r.reminders[0].quantity, after);
        }
        QCOMPARE(t->scalar("SELECT order_status FROM orders").toString(), status);
        // Closed: today, not the order date; open: no close date.
        const QVariant closeDate = t->scalar("SELECT close_date FROM orders");
        QCOMPARE(closeDate.isNull(), status == Open);
        if (status == Closed)
            QCOMPARE(closeDate.toString(), QStringLiteral("2024-05-20"));
    }

    // Orders that are refused before anything is written.
    void refused_data()
    {
        QTest::addColumn<Order>("order");
        QTest::addColumn<QString>("message");   // a part of the failure's text
        const Order ok = makeOrder(1, Closed, {{1, 2}, {3, 1}});
        Order o = ok;
        o.lines[1].quantity = 0;
        QTest::newRow("quantity 0") << o << nameOf(3);
        o.lines[1].quantity = -1;
        QTest::newRow("negative quantity") << o << nameOf(3);
        o = ok;
        o.status = Deleted;
        QTest::newRow("status D") << o << "\"D\"";
        o = ok;
        o.orderDate = QDate(2024, 2, 30);
        QTest::newRow("date not a real day") << o << "date";
        o = ok;
        o.orderNum = -1;
        QTest::newRow("number below 0") << o << "-1";
        o.orderNum = 32768;
        QTest::newRow("number beyond 32767") << o << "32768";
        o.orderNum = 0;
        QTest::newRow("number already used") << o << "already used";
        o = ok;
        o.custNum = 99;
        QTest::newRow("customer not stored") << o << "";
    }

    void refused()
    {
        QFETCH(Order, order);
        QFETCH(QString, message);
        add(makeOrder(0, Open, {{2, 1}}));
        const QStringList before = snapshot(*t);
        const OrderStore::SaveResult r = OrderStore::addOrder(t->db(), order, Reminder, Today);
        QVERIFY(!r.status.ok());
        QVERIFY2(r.status.message().contains(message), qPrintable(r.status.message()));
        QVERIFY(r.reminders.empty());
        QCOMPARE(snapshot(*t), before);
    }

    // A statement failing after the header and a line were written leaves no trace.
    void failureMidwayLeavesNoTrace()
    {
        add(makeOrder(0, Open, {{3, 1}}));
        QVERIFY(t->exec(RefuseProduct2));
        const QStringList before = snapshot(*t);
        const OrderStore::SaveResult r =
            OrderStore::addOrder(t->db(), makeOrder(1, Closed, {{1, 9}, {2, 1}, {3, 1}}), Reminder, Today);
        QVERIFY(!r.status.ok());
        QVERIFY2(r.status.message().contains("refused"), qPrintable(r.status.message()));
        QVERIFY(r.reminders.empty());
        QCOMPARE(snapshot(*t), before);
        // The connection is usable afterwards: no transaction was left open.
        add(makeOrder(1, Closed, {{1, 1}}));
    }

    void productGoneFromInventory_data()
    {
        QTest::addColumn<QString>("status");
        QTest::newRow("closed") << Closed;
        QTest::newRow("open") << Open;
    }

    void productGoneFromInventory()
    {
        QFETCH(QString, status);
        QVERIFY(t->exec("DELETE FROM inventory WHERE product_num = 3"));
        const QStringList before = snapshot(*t);
        const OrderStore::SaveResult r =
            OrderStore::addOrder(t->db(), makeOrder(0, status, {{1, 1}, {3, 1}}), Reminder, Today);
        QVERIFY(!r.status.ok());
        QVERIFY2(r.status.message().contains(nameOf(3)), qPrintable(r.status.message()));
        QCOMPARE(snapshot(*t), before);
    }

    void replaceUnchangedKeepsLinesAndStock()
    {
        add(makeOrder(0, Open, {{3, 2}, {1, 1}, {2, 4}}));
        const QStringList before = snapshot(*t);
        const auto stored = OrderStore::load(t->db(), 0);
        QVERIFY(stored);
        const OrderStore::SaveResult r = OrderStore::replaceOrder(t->db(), stored->order, Reminder, Today);
        QVERIFY2(r.status.ok(), qPrintable(r.status.message()));
        QVERIFY(r.reminders.empty());
        QCOMPARE(snapshot(*t), before);
    }

    void replaceRewritesHeaderAndLines()
    {
        add(makeOrder(0, Open, {{3, 2}, {1, 1}}));
        Order o = makeOrder(0, Open, {{2, 5}});
        o.orderDate = QDate(2024, 6, 2);
        o.type = Reorder;
        o.outOfTown = false;
        o.comments = QStringLiteral("changed");
        o.total = Money::fromUnits(1);
        const OrderStore::SaveResult r = OrderStore::replaceOrder(t->db(), o, Reminder, Today);
        QVERIFY2(r.status.ok(), qPrintable(r.status.message()));
        QCOMPARE(storedLines(*t, 0), QStringList({"2:5"}));
        QCOMPARE(t->scalar("SELECT order_date || order_type || out_of_town_order || comments || total_price"
                           " || coalesce(close_date, 'none') FROM orders")
                     .toString(),
                 QStringLiteral("2024-06-02R0changed1none"));
        QCOMPARE(onHand(*t, 2), 10);
    }

    // Closing on update takes the current lines off the stock, not the removed ones.
    void replaceClosingTakesStockOff()
    {
        add(makeOrder(0, Open, {{1, 2}, {2, 1}, {3, 4}}));
        const OrderStore::SaveResult r =
            OrderStore::replaceOrder(t->db(), makeOrder(0, Closed, {{1, 2}, {3, 4}}), Reminder, Today);
        QVERIFY2(r.status.ok(), qPrintable(r.status.message()));
        QCOMPARE(onHand(*t, 1), 8);
        QCOMPARE(onHand(*t, 2), 10);
        QCOMPARE(onHand(*t, 3), 6);
        QCOMPARE(r.reminders.size(), std::size_t(1));
        QCOMPARE(r.reminders[0].product, nameOf(3));
        QCOMPARE(r.reminders[0].quantity, 6);
        QCOMPARE(storedLines(*t, 0), QStringList({"1:2", "3:4"}));
        QCOMPARE(t->scalar("SELECT order_status || close_date FROM orders").toString(),
                 QStringLiteral("C2024-05-20"));

        // Closed now: it cannot be replaced, closed again or deleted.
        const QStringList before = snapshot(*t);
        QVERIFY(!OrderStore::replaceOrder(t->db(), makeOrder(0, Closed, {{1, 2}}), Reminder, Today).status.ok());
        QVERIFY(!OrderStore::markDeleted(t->db(), 0).ok());
        QCOMPARE(snapshot(*t), before);
    }

    void replaceKeepsCloseDateOfOpenOrder()
    {
        // A stored close date (from an older file) survives an update that does not close.
        add(makeOrder(0, Open, {{1, 1}}));
        QVERIFY(t->exec("UPDATE orders SET close_date = '2023-01-02'"));
        QVERIFY(OrderStore::replaceOrder(t->db(), makeOrder(0, Open, {{1, 1}}), Reminder, Today).status.ok());
        QCOMPARE(t->scalar("SELECT close_date FROM orders").toString(), QStringLiteral("2023-01-02"));
    }

    void replaceFailureKeepsTheOrder()
    {
        add(makeOrder(0, Open, {{1, 2}, {3, 1}}));
        QVERIFY(t->exec(RefuseProduct2));
        const QStringList before = snapshot(*t);
        const OrderStore::SaveResult r =
            OrderStore::replaceOrder(t->db(), makeOrder(0, Closed, {{1, 2}, {2, 1}, {3, 1}}), Reminder, Today);
        QVERIFY(!r.status.ok());
        QVERIFY2(r.status.message().contains("refused"), qPrintable(r.status.message()));
        QCOMPARE(snapshot(*t), before);
        QCOMPARE(storedLines(*t, 0), QStringList({"1:2", "3:1"}));
    }

    void replaceRefused_data()
    {
        QTest::addColumn<QString>("storedStatus");
        QTest::addColumn<int>("orderNum");
        QTest::newRow("closed") << Closed << 0;
        QTest::newRow("deleted") << Deleted << 0;
        QTest::newRow("not stored") << Open << 5;
    }

    void replaceRefused()
    {
        QFETCH(QString, storedStatus);
        QFETCH(int, orderNum);
        add(makeOrder(0, Open, {{1, 1}}));
        QVERIFY(t->exec("UPDATE orders SET order_status = ?", {storedStatus}));
        const QStringList before = snapshot(*t);
        QVERIFY(!OrderStore::replaceOrder(t->db(), makeOrder(orderNum, Open, {{2, 1}}), Reminder, Today).status.ok());
        QVERIFY(!OrderStore::markDeleted(t->db(), orderNum).ok());
        QCOMPARE(snapshot(*t), before);
    }

    // Lines belong to an order through order and customer number together.
    void linesMatchedOnOrderAndCustomer()
    {
        add(makeOrder(0, Open, {{1, 1}}));
        QVERIFY(t->exec("INSERT INTO customer (cust_num, last_name) VALUES (2, 'Other')"));
        QVERIFY(t->exec("PRAGMA foreign_keys = OFF"));
        QVERIFY(t->exec("INSERT INTO order_detail (order_num, cust_num, product_num, order_qty) VALUES (0, 2, 2, 7)"));
        QVERIFY(t->exec("PRAGMA foreign_keys = ON"));

        const auto stored = OrderStore::load(t->db(), 0);
        QVERIFY(stored);
        QCOMPARE(stored->lines.size(), std::size_t(1));
        QVERIFY(OrderStore::replaceOrder(t->db(), makeOrder(0, Open, {{3, 1}}), Reminder, Today).status.ok());
        QCOMPARE(storedLines(*t, 0), QStringList({"2:7", "3:1"}));
    }

    void markDeletedKeepsLinesAndTotals()
    {
        add(makeOrder(0, Open, {{1, 2}, {2, 1}}));
        const QStringList before = snapshot(*t);
        QVERIFY(OrderStore::markDeleted(t->db(), 0).ok());
        QStringList expected = before;
        expected.replaceInStrings("|O|P|", "|D|P|");
        QCOMPARE(snapshot(*t), expected);
        QVERIFY(expected != before);
        QVERIFY(!OrderStore::markDeleted(t->db(), 0).ok());
    }

    void loadReturnsLinesInStoredOrderWithCurrentCosts()
    {
        QVERIFY(t->exec("UPDATE customer SET address = '1 Oak St', phone = '555-0101', email = 'ann@x.com'"));
        add(makeOrder(0, Open, {{3, 2}, {1, 1}, {2, 4}}));
        QVERIFY(t->exec("UPDATE inventory SET cost = cost + 5000"));

        Status s;
        const auto stored = OrderStore::load(t->db(), 0, &s);
        QVERIFY2(s.ok(), qPrintable(s.message()));
        QVERIFY(stored);
        const Order expected = makeOrder(0, Open, {{3, 2}, {1, 1}, {2, 4}});
        const Order &o = stored->order;
        QCOMPARE(o.custNum, 1);
        QCOMPARE(o.orderDate, OrderDay);
        QCOMPARE(o.status, Open);
        QCOMPARE(o.type, Party);
        QCOMPARE(o.subtotal, expected.subtotal);
        QCOMPARE(o.addCosts, expected.addCosts);
        QCOMPARE(o.discounts, expected.discounts);
        QCOMPARE(o.total, expected.total);
        QCOMPARE(o.outOfTown, true);
        QCOMPARE(o.comments, expected.comments);
        QVERIFY(stored->closeDate.isNull());
        QCOMPARE(stored->customer.address + '|' + stored->customer.phone + '|' + stored->customer.email,
                 QString("1 Oak St|555-0101|ann@x.com"));

        QStringList lines;
        for (const OrderStore::StoredOrder::Line &l : stored->lines)
            lines << QStringLiteral("%1|%2|%3|%4|%5")
                         .arg(l.productNum)
                         .arg(l.product, l.productRefnum)
                         .arg(l.cost.units())
                         .arg(l.quantity);
        QCOMPARE(lines, QStringList({"3|O'Brien's Fudge|R3|50000|2", "1|Salt & Pepper Cake|R1|130000|1",
                                     "2|Lemon Bars|R2|35000|4"}));
        QCOMPARE(o.lines.size(), std::size_t(3));
        QCOMPARE(o.lines[0].productNum, 3);
        QCOMPARE(o.lines[2].quantity, 4);

        QVERIFY(!OrderStore::load(t->db(), 1, &s));
        QVERIFY(s.ok());
    }
};

QTEST_GUILESS_MAIN(tst_OrderStore)
#include "tst_orderstore.moc"
